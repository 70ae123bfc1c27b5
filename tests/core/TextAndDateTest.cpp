#include "AnsiText.h"
#include "GeneralDate.h"

#include <gtest/gtest.h>

TEST(AnsiText, Windows1252RoundTripAndFixedWidthCutsByBytes)
{
    const QString text = QStringLiteral("\u00B0F \u20AC caf\u00E9 \u2019");
    const QByteArray bytes = ToAnsi(text);
    EXPECT_EQ(bytes, QByteArray("\xB0" "F \x80 caf\xE9 \x92"));
    EXPECT_EQ(FromAnsi(bytes), text);
    EXPECT_EQ(ToAnsi(QStringLiteral("\u4E2D")), QByteArray("?"));
    EXPECT_EQ(FixedAnsi(QStringLiteral("\u00B0C"), 3), QByteArray("\xB0" "C "));
    EXPECT_EQ(FixedAnsi(QStringLiteral("abcdef"), 4), QByteArray("abcd"));
}

TEST(GeneralDate, TextSortsAndParsesBackWithMidnightAsDateAlone)
{
    const QDateTime afternoon(QDate(2026, 3, 1), QTime(14, 5, 9));
    const QDateTime midnight(QDate(2026, 3, 1), QTime(0, 0));
    EXPECT_EQ(GeneralDateText(afternoon), QStringLiteral("2026-03-01 14:05:09"));
    EXPECT_EQ(GeneralDateText(midnight), QStringLiteral("2026-03-01"));
    EXPECT_EQ(ParseGeneralDate(QStringLiteral("  2026-03-01 14:05:09   ")), afternoon);
    EXPECT_EQ(ParseGeneralDate(QStringLiteral("2026-03-01")), midnight);
    EXPECT_FALSE(ParseGeneralDate(QStringLiteral("3/1/26 2:05:09 PM")).has_value());
}

TEST(GeneralDate, BoundariesCountWallClockValues)
{
    const QDate d(2026, 1, 31);
    EXPECT_EQ(HourBoundariesBetween(QDateTime(d, QTime(10, 59, 59)), QDateTime(d, QTime(11, 0))), 1);
    EXPECT_EQ(HourBoundariesBetween(QDateTime(d, QTime(10, 5)), QDateTime(d, QTime(10, 59))), 0);
    EXPECT_EQ(HourBoundariesBetween(QDateTime(d, QTime(23, 30)), QDateTime(d.addDays(1), QTime(0, 10))), 1);
    EXPECT_EQ(MinuteBoundariesBetween(QDateTime(d, QTime(10, 59, 59)), QDateTime(d, QTime(12, 0, 0))), 61);
    EXPECT_EQ(MinuteBoundariesBetween(QDateTime(d, QTime(23, 59, 59)), QDateTime(d.addDays(1), QTime(0, 0))), 1);
    EXPECT_EQ(DayBoundariesBetween(QDateTime(d, QTime(23, 59)), QDateTime(d.addDays(1), QTime(0, 0))), 1);
}
