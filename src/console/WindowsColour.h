#pragma once

#include <QColor>

// Settings and tables give colours as Windows values, red + 256*green + 65536*blue
// (0xBBGGRR), which is the reverse of Qt's 0xRRGGBB.
QColor WindowsColour(int value);
