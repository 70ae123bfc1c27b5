#pragma once

// Geometry that keeps every form usable on a 1280x720 screen at any scale: boxes as wide as
// the longest text they take, labels as tall as their wrapped text, rows of frames that
// stack when the screen is too narrow for them, and windows that start on the screen.

class QBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

// What a box holds: its width is worked out from the widest digit or from a wide letter.
enum class BoxText { Digits, Text };

// Fixes the box's width so that `characters` characters of its kind show whole.
void SizeForText(QLineEdit *box, int characters, BoxText kind);

// Breaks the label's lines at its width; it is then as tall as its text.
void WrapLabel(QLabel *label);

// Lays the row's items out side by side while the screen is wide enough for them, one above
// the other when it is not, deciding again whenever the row's contents change.
void StackWhenNarrow(QBoxLayout *row);

// Gives the top-level window the size its layouts now ask for, shrinks it to the screen's
// available area where it is larger and moves it so that the whole window, frame
// included, lies inside that area.
void FitToScreen(QWidget *window);
