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

QString ReadingNumberText(double value)
{
    // Below 10^7 a whole number has no exponent and no point (-0 shows as "0" there too).
    if (std::trunc(value) == value && std::fabs(value) < 1e7)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 7);
}
