#include "NumberText.h"

#include <cmath>

QString FormatPointZero(double value)
{
    const long long tenths = std::llround(value * 10.0);
    const long long whole = std::llabs(tenths) / 10;
    const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
    const QString wholeText = whole == 0 ? QString() : QString::number(whole);
    return sign + wholeText + QLatin1Char('.') + QString::number(std::llabs(tenths) % 10);
}
