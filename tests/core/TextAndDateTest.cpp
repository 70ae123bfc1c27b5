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
