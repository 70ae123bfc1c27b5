#include "AnsiText.h"
#include "GeneralDate.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(AnsiText, LettersWithoutAWindows1252ByteBecomeAQuestionMark)
{
    EXPECT_EQ(ToAnsi(u"\u20AC caf\u00E9 \u2019 \u4E2D"_s), "\x80 caf\xE9 \x92 ?"_ba);
    EXPECT_EQ(FixedAnsi(u"\u00B0C"_s, 3), "\xB0"
                                          "C "_ba);
}

TEST(GeneralDate, TextIsZeroPaddedAndMidnightIsTheDateAlone)
{
    const struct {
        QDateTime moment;
        QString text;
    } rows[] = {
        {QDateTime(QDate(2026, 3, 1), QTime(9, 5, 7)), u"2026-03-01 09:05:07"_s},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)), u"2026-12-31 23:59:59"_s},
        {QDateTime(QDate(2026, 3, 1), QTime(0, 0)), u"2026-03-01"_s},
        {QDateTime(QDate(2026, 3, 1), QTime(0, 0, 1)), u"2026-03-01 00:00:01"_s},
        {QDateTime(QDate(1999, 10, 10), QTime(10, 10, 10)), u"1999-10-10 10:10:10"_s},
        {QDateTime(QDate(999, 1, 2), QTime(3, 4, 5)), u"0999-01-02 03:04:05"_s},
        {QDateTime(QDate(10000, 1, 2), QTime(0, 0)), u"10000-01-02"_s},
        {QDateTime(), QString()},
    };
    for (const auto &row : rows)
        EXPECT_EQ(GeneralDateText(row.moment), row.text) << row.text.toStdString();
}

// Boundaries of the clock face crossed between two times, not elapsed hours or days.
TEST(GeneralDate, BoundariesCountWallClockValues)
{
    const QDate d(2026, 1, 31);
    const auto at = [&](int day, int h, int m, int s = 0) {
        return QDateTime(d.addDays(day), QTime(h, m, s));
    };
    EXPECT_EQ(HourBoundariesBetween(at(0, 10, 59, 59), at(0, 11, 0)), 1);
    EXPECT_EQ(HourBoundariesBetween(at(0, 10, 5), at(0, 10, 59)), 0);
    EXPECT_EQ(HourBoundariesBetween(at(0, 23, 30), at(1, 0, 10)), 1);
    EXPECT_EQ(MinuteBoundariesBetween(at(0, 10, 59, 59), at(0, 12, 0)), 61);
    EXPECT_EQ(DayBoundariesBetween(at(0, 23, 59), at(1, 0, 0)), 1);
    EXPECT_FALSE(ParseGeneralDate(u"3/1/26 2:05:09 PM"_s));
}
