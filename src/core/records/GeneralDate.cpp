#include "GeneralDate.h"

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

namespace {

void PutDigits(QChar *&out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        out[i] = QChar(u'0' + value % 10);
    out += count;
}

} // namespace

// Written digit by digit: the format engine costs more than a record file's system calls,
// and every reading is stamped.
QString GeneralDateText(const QDateTime &moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    // Each of year(), month() and day() works out the whole calendar date again.
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1000 || year > 9999)
        return time == QTime(0, 0) ? date.toString(kDateFormat) : moment.toString(kDateTimeFormat);
    const bool dateOnly = time == QTime(0, 0);
    QString text(dateOnly ? 10 : 19, Qt::Uninitialized);
    QChar *out = text.data();
    PutDigits(out, year, 4);
    *out++ = u'-';
    PutDigits(out, month, 2);
    *out++ = u'-';
    PutDigits(out, day, 2);
    if (!dateOnly) {
        *out++ = u' ';
        PutDigits(out, time.hour(), 2);
        *out++ = u':';
        PutDigits(out, time.minute(), 2);
        *out++ = u':';
        PutDigits(out, time.second(), 2);
    }
    return text;
}

namespace {

// Digits at [from, from + count) of a text known to be long enough; -1 for anything else.
int Digits(QStringView text, qsizetype from, int count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The text as the writers make it, read by hand: the format parser takes microseconds
// per text, seconds for a month of readings.
std::optional<WallClock> CanonicalWallClock(QStringView text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    if (text[4] != u'-' || text[7] != u'-')
        return std::nullopt;
    const int year = Digits(text, 0, 4);
    const int month = Digits(text, 5, 2);
    const int day = Digits(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    QTime time(0, 0);
    if (text.size() == 19) {
        if (text[10] != u' ' || text[13] != u':' || text[16] != u':')
            return std::nullopt;
        const int hour = Digits(text, 11, 2);
        const int minute = Digits(text, 14, 2);
        const int second = Digits(text, 17, 2);
        if (hour < 0 || minute < 0 || second < 0 || !QTime::isValid(hour, minute, second))
            return std::nullopt;
        time = QTime(hour, minute, second);
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return WallClock{date, time};
}

std::optional<QDateTime> ParseWithFormats(const QString &trimmed)
{
    QDateTime moment = QDateTime::fromString(trimmed, kDateTimeFormat);
    if (moment.isValid())
        return moment;
    const QDate date = QDate::fromString(trimmed, kDateFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return std::nullopt;
}

} // namespace

std::optional<WallClock> ParseWallClock(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (const auto canonical = CanonicalWallClock(trimmed))
        return canonical;
    const std::optional<QDateTime> moment = ParseWithFormats(trimmed);
    if (!moment)
        return std::nullopt;
    return WallClock{moment->date(), moment->time()};
}

std::optional<QDateTime> ParseGeneralDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (const auto canonical = CanonicalWallClock(trimmed))
        return QDateTime(canonical->date, canonical->time);
    return ParseWithFormats(trimmed);
}

qint64 DayBoundariesBetween(const QDateTime &from, const QDateTime &to)
{
    return from.date().daysTo(to.date());
}

qint64 HourBoundariesBetween(const WallClock &from, const WallClock &to)
{
    return from.date.daysTo(to.date) * 24 + to.time.hour() - from.time.hour();
}

qint64 HourBoundariesBetween(const QDateTime &from, const QDateTime &to)
{
    return HourBoundariesBetween(WallClock{from.date(), from.time()},
                                 WallClock{to.date(), to.time()});
}

qint64 MinuteBoundariesBetween(const QDateTime &from, const QDateTime &to)
{
    return HourBoundariesBetween(from, to) * 60 + to.time().minute() - from.time().minute();
}
