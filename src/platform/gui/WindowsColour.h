#pragma once

#include <QColor>

// Windows colour values are red + 256*green + 65536*blue (&HBBGGRR).
QColor WindowsColour(int value);
int WindowsColourValue(const QColor &colour);
