#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The station's general date text: "yyyy-MM-dd HH:mm:ss", or the date alone for a
// moment at exactly midnight. It is written into the database, the record files and the
// e-mails, sorts correctly as text and is parsed back by both programs.
QString GeneralDateText(const QDateTime &moment);
std::optional<QDateTime> ParseGeneralDate(const QString &text);

// The day and time of day a general date text names, not placed in the local time zone
// (each placing costs system calls): for reading long record files. Nothing exactly where
// ParseGeneralDate gives nothing.
struct WallClock {
    QDate date;
    QTime time;
};
std::optional<WallClock> ParseWallClock(const QString &text);

// Calendar differences count boundaries of wall-clock values, not elapsed time:
// 10:59 to 11:00 is one hour, 23:59 to 00:00 one day.
qint64 HourBoundariesBetween(const QDateTime &from, const QDateTime &to);
qint64 HourBoundariesBetween(const WallClock &from, const WallClock &to);
qint64 DayBoundariesBetween(const QDateTime &from, const QDateTime &to);
qint64 MinuteBoundariesBetween(const QDateTime &from, const QDateTime &to);
