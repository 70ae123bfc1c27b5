#pragma once

#include <QString>

// Rules for the keys typed into text boxes: a key code (the character's ANSI code, 8 for
// Backspace) in, the same code out to let it through or 0 to drop it. They judge single
// keys only; the box's owner checks the whole value when it is used.

// Digits, ".", "-" and Backspace: signed numbers with decimals (limits, correction factors).
int KeyFilterNumber(int keyCode);
// Digits and Backspace: whole numbers (update rate, retries, delays).
int KeyFilterDigits(int keyCode);
// Everything but "\" and "/", which would break the file names and device pages a name
// ends up in; either is refused with a message. `keyText` is the key code as decimal text.
int KeyFilterNameChar(const QString &keyText);
