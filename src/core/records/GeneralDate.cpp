#include "GeneralDate.h"

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

QString GeneralDateText(const QDateTime &moment)
{
    if (moment.time() == QTime(0, 0))
        return moment.date().toString(kDateFormat);
    return moment.toString(kDateTimeFormat);
}

std::optional<QDateTime> ParseGeneralDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    QDateTime moment = QDateTime::fromString(trimmed, kDateTimeFormat);
    if (moment.isValid())
        return moment;
    const QDate date = QDate::fromString(trimmed, kDateFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return std::nullopt;
}

qint64 DayBoundariesBetween(const QDateTime &from, const QDateTime &to)
{
    return from.date().daysTo(to.date());
}

qint64 HourBoundariesBetween(const QDateTime &from, const QDateTime &to)
{
    return DayBoundariesBetween(from, to) * 24 + to.time().hour() - from.time().hour();
}

qint64 MinuteBoundariesBetween(const QDateTime &from, const QDateTime &to)
{
    return HourBoundariesBetween(from, to) * 60 + to.time().minute() - from.time().minute();
}
