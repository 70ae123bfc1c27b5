// One polling cycle's trend update once every line holds its full history, with the chart
// shown (a hidden chart skips the redraw work): the cost a long-running station pays
// after every cycle.
#include "Clock.h"
#include "TrendChart.h"
#include "TrendData.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void FullChartCycle(benchmark::State &state)
{
    const int lines = int(state.range(0));
    PlainStatusGrid grid(lines + 1);
    for (int row = 1; row <= lines; ++row)
        grid.SetCell(row, StatusColumn::Units, QString(kDegreeSign) + u'F');

    TrendChart chart;
    chart.resize(1200, 700);
    QDateTime now(QDate(2024, 1, 1), QTime(0, 0));
    Clock::SetFixed(now);
    chart.SetupTrendChart(grid);
    auto cycle = [&](int i) {
        for (int row = 1; row <= lines; ++row)
            grid.SetCell(row, StatusColumn::Reading, QString::number(60 + (i + row) % 20));
        now = now.addSecs(60);
        Clock::SetFixed(now);
        chart.AddTrendChartPoints(grid);
    };
    for (int i = 0; i < TrendChart::kPointsKept; ++i)
        cycle(i);
    chart.show();
    QApplication::processEvents();

    int i = 0;
    for (auto _ : state) {
        cycle(++i);
        if (state.range(1))
            chart.repaint();
    }
    Clock::SetFixed(std::nullopt);
}
BENCHMARK(FullChartCycle)
    ->ArgNames({"lines", "repaint"})
    ->Args({30, 0})
    ->Args({30, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
