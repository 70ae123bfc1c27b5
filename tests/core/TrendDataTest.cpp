#include "TrendData.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString F = u"\u00B0F"_s;
const QString C = u"\u00B0C"_s;
const QString RH = u"%RH"_s;

// A status grid with one data row per units text, each reading `readings[i]` or "70".
PlainStatusGrid Grid(const QStringList &units, const QStringList &readings = {})
{
    PlainStatusGrid grid(units.size() + 1);
    for (int i = 0; i < units.size(); ++i) {
        grid.SetCell(i + 1, StatusColumn::Units, units.at(i));
        grid.SetCell(i + 1, StatusColumn::Reading, readings.value(i, u"70"_s));
    }
    return grid;
}

} // namespace

TEST(TrendData, AxesInFixedOrderAndEachSeriesTiedToItsRowAndAxis)
{
    using U = TrendUnit;
    const struct {
        const char *name;
        QStringList units;
        QList<TrendUnit> axes;
        QList<std::optional<int>> seriesAxis;
        QList<int> seriesRow;
    } rows[] = {
        {"three Fahrenheit and humidity",
         {F, F, F, RH},
         {U::Fahrenheit, U::Humidity},
         {0, 0, 0, 1},
         {1, 2, 3, 4}},
        {"all three", {RH, C, F}, {U::Fahrenheit, U::Celsius, U::Humidity}, {2, 1, 0}, {1, 2, 3}},
        {"Celsius and humidity", {C, RH}, {U::Celsius, U::Humidity}, {0, 1}, {1, 2}},
        {"blank and minutes rows are not charted",
         {{}, F, u"Minutes"_s, u"  "_s, RH},
         {U::Fahrenheit, U::Humidity},
         {0, 1},
         {2, 5}},
        {"unknown unit is charted without axis", {u"V"_s}, {}, {std::nullopt}, {1}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const TrendPlan plan = PlanTrendChart(Grid(row.units));
        EXPECT_EQ(plan.axes, row.axes);
        ASSERT_EQ(plan.series.size(), row.seriesAxis.size());
        for (int k = 0; k < plan.series.size(); ++k) {
            EXPECT_EQ(plan.series.at(k).axis, row.seriesAxis.at(k)) << "series " << k + 1;
            EXPECT_EQ(plan.series.at(k).row, row.seriesRow.at(k)) << "series " << k + 1;
        }
    }
    // Colours repeat after twenty-four series.
    const TrendPlan plan = PlanTrendChart(Grid(QStringList(30, F)));
    ASSERT_EQ(plan.series.size(), 30);
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(plan.series.at(k).colour, kTrendColours[k % 24]) << "series " << k + 1;
}

// Any reading that is no number is a gap in its own line, so later lines keep their values.
TEST(TrendData, OneValuePerTrendRowWithGapsForNonNumbers)
{
    const auto values = TrendValues(Grid({F, F, F, C, C, {}, u"minutes"_s, RH},
                                         {u"71.5"_s, u"No Data"_s, u"SENSOR SHORTED"_s, u"-.4"_s,
                                          u" 12 "_s, u"Open"_s, u"5"_s, u"Busy"_s}));
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (QList<double>{71.5, kTrendGap, kTrendGap, -0.4, 12, kTrendGap}));

    EXPECT_EQ(TrendValues(Grid(QStringList(kMaxTrendValues, F)))->size(), kMaxTrendValues);
    EXPECT_FALSE(TrendValues(Grid(QStringList(kMaxTrendValues + 1, F))));
}
