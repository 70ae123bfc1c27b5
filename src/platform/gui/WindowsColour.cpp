#include "WindowsColour.h"

QColor WindowsColour(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int WindowsColourValue(const QColor &colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}
