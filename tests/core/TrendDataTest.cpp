#include "TrendData.h"

#include <gtest/gtest.h>

namespace {

const QString F = QString(kDegreeSign) + u'F';
const QString C = QString(kDegreeSign) + u'C';
const QString RH = QStringLiteral("%RH");

// A status grid with one data row per (units, reading) pair.
PlainStatusGrid Grid(const QList<std::pair<QString, QString>> &rows)
{
    PlainStatusGrid grid(rows.size() + 1);
    for (int i = 0; i < rows.size(); ++i) {
        grid.SetCell(i + 1, StatusColumn::Units, rows.at(i).first);
        grid.SetCell(i + 1, StatusColumn::Reading, rows.at(i).second);
    }
    return grid;
}

PlainStatusGrid GridOfUnits(const QStringList &units)
{
    QList<std::pair<QString, QString>> rows;
    for (const QString &u : units)
        rows.append({u, QStringLiteral("70")});
    return Grid(rows);
}

struct PlanCase {
    const char *name;
    QStringList units;
    QList<TrendUnit> axes;
    QList<std::optional<int>> seriesAxis;
    QList<int> seriesRow;
};

class TrendPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(TrendPlanTest, AxesAndTies)
{
    const PlanCase &c = GetParam();
    const TrendPlan plan = PlanTrendChart(GridOfUnits(c.units));
    EXPECT_EQ(plan.axes, c.axes);
    ASSERT_EQ(plan.series.size(), c.seriesAxis.size());
    for (int k = 0; k < plan.series.size(); ++k) {
        EXPECT_EQ(plan.series.at(k).axis, c.seriesAxis.at(k)) << "series " << k + 1;
        EXPECT_EQ(plan.series.at(k).row, c.seriesRow.at(k)) << "series " << k + 1;
        EXPECT_EQ(plan.series.at(k).colour, kTrendColours[k]) << "series " << k + 1;
    }
}

using U = TrendUnit;
INSTANTIATE_TEST_SUITE_P(
    Kinds, TrendPlanTest,
    ::testing::Values(
        PlanCase{"ThreeFahrenheitAndHumidity",
                 {F, F, F, RH},
                 {U::Fahrenheit, U::Humidity},
                 {0, 0, 0, 1},
                 {1, 2, 3, 4}},
        PlanCase{
            "HumidityFirstStillSecondAxis", {RH, F}, {U::Fahrenheit, U::Humidity}, {1, 0}, {1, 2}},
        PlanCase{"FahrenheitAndCelsius", {C, F}, {U::Fahrenheit, U::Celsius}, {1, 0}, {1, 2}},
        PlanCase{
            "AllThree", {RH, C, F}, {U::Fahrenheit, U::Celsius, U::Humidity}, {2, 1, 0}, {1, 2, 3}},
        PlanCase{"CelsiusAndHumidity", {C, RH}, {U::Celsius, U::Humidity}, {0, 1}, {1, 2}},
        PlanCase{"CelsiusOnly", {C}, {U::Celsius}, {0}, {1}},
        PlanCase{"HumidityOnly", {RH}, {U::Humidity}, {0}, {1}},
        PlanCase{"BlankAndMinutesRowsAreNotCharted",
                 {QString(), F, QStringLiteral("Minutes"), QStringLiteral("  "), RH},
                 {U::Fahrenheit, U::Humidity},
                 {0, 1},
                 {2, 5}},
        PlanCase{"AllBlankGivesNoSeries", {QString(), QString()}, {}, {}, {}},
        PlanCase{
            "UnknownUnitIsChartedWithoutAxis", {QStringLiteral("V")}, {}, {std::nullopt}, {1}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TrendPlan, ColoursRepeatAfterTwentyFour)
{
    QStringList units;
    for (int i = 0; i < 30; ++i)
        units.append(F);
    const TrendPlan plan = PlanTrendChart(GridOfUnits(units));
    ASSERT_EQ(plan.series.size(), 30);
    EXPECT_EQ(plan.series.at(23).colour, 0x54FF9F);
    for (int k = 25; k <= 30; ++k)
        EXPECT_EQ(plan.series.at(k - 1).colour, kTrendColours[k - 25]) << "series " << k;
}

TEST(TrendPlan, AxisTitles)
{
    EXPECT_EQ(TrendAxisTitle(U::Fahrenheit), QStringLiteral("\u00B0F"));
    EXPECT_EQ(TrendAxisTitle(U::Celsius), QStringLiteral("\u00B0C"));
    EXPECT_EQ(TrendAxisTitle(U::Humidity), QStringLiteral("%RH"));
}

struct ValuesCase {
    const char *name;
    QList<std::pair<QString, QString>> rows;
    QList<double> values;
};

class TrendValuesTest : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(TrendValuesTest, OnePerTrendRow)
{
    const auto values = TrendValues(Grid(GetParam().rows));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(*values, GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(Readings, TrendValuesTest,
                         ::testing::Values(ValuesCase{"NoDataIsAGapForThatRowOnly",
                                                      {{F, QStringLiteral("71.5")},
                                                       {F, QStringLiteral("No Data")},
                                                       {RH, QStringLiteral("45")}},
                                                      {71.5, kTrendGap, 45}},
                                           ValuesCase{"SensorFaultsAreGaps",
                                                      {{F, QStringLiteral("Sensor Open")},
                                                       {F, QStringLiteral("SENSOR SHORTED")},
                                                       {C, QStringLiteral("Not Connected")}},
                                                      {kTrendGap, kTrendGap, kTrendGap}},
                                           ValuesCase{"ReadingTextsWithoutLeadingZero",
                                                      {{C, QStringLiteral(".5")},
                                                       {C, QStringLiteral("-.4")},
                                                       {C, QStringLiteral(" 12 ")}},
                                                      {0.5, -0.4, 12}},
                                           ValuesCase{"OtherTextIsAGapSoEachLineKeepsItsOwnValue",
                                                      {{F, QStringLiteral("70")},
                                                       {F, QStringLiteral("Busy")},
                                                       {RH, QStringLiteral("40")}},
                                                      {70, kTrendGap, 40}},
                                           ValuesCase{
                                               "RowsOutsideTheTrendGiveNoValue",
                                               {{QString(), QStringLiteral("Open")},
                                                {QStringLiteral("minutes"), QStringLiteral("5")},
                                                {F, QStringLiteral("68")}},
                                               {68}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TrendValues, MoreThanAThousandValuesIsAnError)
{
    QList<std::pair<QString, QString>> rows(kMaxTrendValues, {F, QStringLiteral("1")});
    EXPECT_EQ(TrendValues(Grid(rows))->size(), kMaxTrendValues);
    rows.append({F, QStringLiteral("No Data")});
    EXPECT_FALSE(TrendValues(Grid(rows)).has_value());
}

} // namespace
