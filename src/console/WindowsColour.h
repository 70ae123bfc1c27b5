#pragma once

#include <QColor>

// Colours are kept as Windows colour values (red + 256 x green + 65536 x blue, so &H7CFC00
// is red 00, green FC, blue 7C); the window layer turns them into QColor here only.
QColor WindowsColour(qint32 value);
