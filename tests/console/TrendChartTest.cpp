#include "TrendChart.h"
#include "Clock.h"
#include "TempProgramFolder.h"
#include "TrendData.h"

#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace {

const QString F = QString(kDegreeSign) + u'F';

class TrendChartTest : public TempProgramFolder {
protected:
    // One data row per unit text, then the chart laid out for them.
    void SetUpChart(const QStringList &units)
    {
        Clock::SetFixed(m_now);
        m_grid.SetRowCount(units.size() + 1);
        for (int i = 0; i < units.size(); ++i) {
            m_grid.SetCell(i + 1, StatusColumn::Sensor, u"Sensor %1"_s.arg(i + 1));
            m_grid.SetCell(i + 1, StatusColumn::Units, units.at(i));
        }
        ASSERT_TRUE(m_chart.SetupTrendChart(m_grid));
    }

    // One polling cycle a minute after the last; the readings of the rows are split by "|".
    void Cycle(const QString &readings)
    {
        const QStringList values = readings.split(u'|');
        for (int i = 0; i < values.size(); ++i)
            m_grid.SetCell(i + 1, StatusColumn::Reading, values.at(i));
        m_now = m_now.addSecs(60);
        Clock::SetFixed(m_now);
        ASSERT_TRUE(m_chart.AddTrendChartPoints(m_grid));
    }

    // Legend entries report themselves hidden until the chart is shown and laid out; the
    // chart is kept hidden before, as a shown chart redraws on every point.
    bool LegendShows(QLineSeries *segment)
    {
        m_chart.show();
        QCoreApplication::processEvents();
        return m_chart.chart()->legend()->markers(segment).first()->isVisible();
    }

    QList<QPointF> Points(int line) const
    {
        QList<QPointF> all;
        for (const QLineSeries *segment : m_chart.Segments(line))
            all += segment->points();
        return all;
    }

    QDateTime m_now{QDate(2024, 3, 5), QTime(13, 0)};
    PlainStatusGrid m_grid;
    TrendChart m_chart;
};

TEST_F(TrendChartTest, ThreeFahrenheitAndOneHumidityRow)
{
    SetUpChart({F, F, F, u"%RH"_s});
    Cycle(u"70|71|72|45"_s);

    const QList<QValueAxis *> axes = m_chart.ValueAxes();
    ASSERT_EQ(axes.size(), 2);
    EXPECT_EQ(axes.at(0)->titleText() + axes.at(1)->titleText(), u"\u00B0F%RH"_s);
    // Table colours 1 to 4 are &H7CFC00, &HFF6A6A, &H00FF00, &H00FFFF (blue-green-red).
    const QList<QColor> colours{QColor(0x00, 0xFC, 0x7C), QColor(0x6A, 0x6A, 0xFF),
                                QColor(0x00, 0xFF, 0x00), QColor(0xFF, 0xFF, 0x00)};
    ASSERT_EQ(m_chart.LineCount(), 4);
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(m_chart.Segments(k).size(), 1);
        QLineSeries *series = m_chart.Segments(k).first();
        EXPECT_EQ(series->color(), colours.at(k)) << "series " << k + 1;
        EXPECT_EQ(series->attachedAxes(),
                  (QList<QAbstractAxis *>{m_chart.TimeAxis(), axes.at(k == 3 ? 1 : 0)}));
    }
    EXPECT_EQ(m_chart.TimeAxis()->format() + m_chart.TimeAxis()->titleText(), u"h:mm APTime"_s);
    EXPECT_LE(axes.at(1)->min(), 45);
    EXPECT_LT(axes.at(1)->max(), 70) << "each axis fits its own lines";
}

TEST_F(TrendChartTest, AGridItCannotChartLeavesNoStaleLines)
{
    SetUpChart({F});
    Cycle(u"70"_s);
    m_grid.SetRowCount(kMaxTrendValues + 2);
    for (int row = 1; row < m_grid.RowCount(); ++row)
        m_grid.SetCell(row, StatusColumn::Units, F);
    EXPECT_FALSE(m_chart.AddTrendChartPoints(m_grid));
    EXPECT_EQ(Points(0).size(), 1) << "too many values: the chart stays as it was";

    m_grid.SetRowCount(2);
    m_grid.SetCell(1, StatusColumn::Units, u"minutes"_s);
    EXPECT_FALSE(m_chart.SetupTrendChart(m_grid));
    EXPECT_EQ(m_chart.LineCount(), 0);
    EXPECT_TRUE(m_chart.chart()->series().isEmpty() && m_chart.chart()->axes().isEmpty());
    EXPECT_FALSE(m_chart.AddTrendChartPoints(m_grid));
}

TEST_F(TrendChartTest, NoDataBreaksOnlyThatLine)
{
    SetUpChart({F, F, u"%RH"_s});
    Cycle(u"70|60|40"_s);
    Cycle(u"71|No Data|41"_s);
    Cycle(u"72|62|42"_s);

    EXPECT_EQ(m_chart.Segments(0).size(), 1);
    ASSERT_EQ(Points(2).size(), 3);
    EXPECT_EQ(Points(2).at(1).y(), 41);
    const QList<QLineSeries *> broken = m_chart.Segments(1);
    ASSERT_EQ(broken.size(), 2);
    EXPECT_EQ(broken.at(0)->count() + broken.at(1)->count(), 2);
    EXPECT_EQ(broken.at(1)->color(), broken.at(0)->color());
    EXPECT_EQ(broken.at(1)->attachedAxes(), broken.at(0)->attachedAxes());
    EXPECT_TRUE(broken.at(1)->pointsVisible()) << "a lone point must still be seen";
    EXPECT_FALSE(m_chart.Segments(0).first()->pointsVisible());
    EXPECT_TRUE(LegendShows(broken.at(0)));
    EXPECT_FALSE(LegendShows(broken.at(1))) << "one legend entry per line";
    EXPECT_LT(m_chart.ValueAxes().at(0)->max(), 1000) << "the gap must not stretch the axis";
}

TEST_F(TrendChartTest, GoingLiveAfterExaminingShowsTheWholeRangeAgain)
{
    SetUpChart({F});
    for (int i = 0; i < 10; ++i)
        Cycle(QString::number(60 + i));
    const QDateTime first = m_now.addSecs(-60 * 9);

    m_chart.SetLiveMode(false);
    EXPECT_EQ(m_chart.rubberBand(), QChartView::RectangleRubberBand);
    m_chart.show(); // zooming needs a laid-out plot area
    QCoreApplication::processEvents();
    m_chart.chart()->zoomIn();
    ASSERT_GT(m_chart.TimeAxis()->min(), first);

    m_chart.SetLiveMode(true);
    EXPECT_EQ(m_chart.rubberBand(), QChartView::NoRubberBand);
    EXPECT_EQ(m_chart.TimeAxis()->min(), first);
    EXPECT_EQ(m_chart.TimeAxis()->max(), m_now);
}

TEST_F(TrendChartTest, DropsTheOldestPointsOnceTheCapIsPassed)
{
    SetUpChart({F});
    Cycle(u"1"_s);
    Cycle(u"No Data"_s);
    for (int i = 0; i < TrendChart::kPointsKept - 1; ++i)
        Cycle(QString::number(i % 50));
    EXPECT_EQ(Points(0).size(), TrendChart::kPointsKept);
    Cycle(u"7"_s);

    const int kept = TrendChart::kPointsKept + 1 - TrendChart::kPointsDroppedAtOnce;
    EXPECT_EQ(Points(0).size(), kept);
    ASSERT_EQ(m_chart.Segments(0).size(), 1) << "the segment before the gap has aged out";
    EXPECT_EQ(m_chart.chart()->series().size(), 1);
    EXPECT_TRUE(LegendShows(m_chart.Segments(0).first()));
    EXPECT_EQ(m_chart.TimeAxis()->min(), m_now.addSecs(-60 * (kept - 1)));
    EXPECT_EQ(m_chart.TimeAxis()->max(), m_now);
}

} // namespace
