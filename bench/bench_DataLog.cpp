// The largest data log a device can report (65,535 eight-sensor records, the most a 16-bit
// count allows): decoded and sorted, shown in the log grid, then exported. Targets: under
// 1 s for each step and under 100 MB of memory growth.
#include "DS1337.h"
#include "LogGridModel.h"
#include "ProcessCpu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 65535;

char Bcd(int n)
{
    return char(n % 10 + 16 * (n / 10));
}

// One record a minute from 1 January 2020, readings varying, the stamps out of order in
// blocks so the sort has work to do.
QByteArray FullLog()
{
    QByteArray data;
    data.reserve(kRecords * 23);
    for (int r = 0; r < kRecords; ++r) {
        const int minutes = (r % 1000) * 60 + r / 1000;
        const QDate day = QDate(2020, 1, 1).addDays(minutes / 1440);
        const int hour = minutes / 60 % 24;
        const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
        data.append(Bcd(minutes % 60)).append(char(Bcd(hour12) + (hour >= 12 ? 32 : 0) + 64));
        data.append(char(day.dayOfWeek() % 7 + 1)).append(Bcd(day.day()));
        data.append(Bcd(day.month())).append(Bcd(day.year() - 2000));
        for (int k = 0; k < 8; ++k) {
            const int reading = 200 + (r * 7 + k * 13) % 600;
            data.append(char(reading >> 8)).append(char(reading & 0xFF));
        }
        data.append(char(r % 8));
    }
    return data;
}

void FullDataLog(benchmark::State &state)
{
    const QByteArray data = FullLog();
    QTemporaryDir folder;
    for (auto _ : state) {
        const double before = ResidentMegabytes();
        QElapsedTimer timer;
        timer.start();
        const std::optional<LogTable> table = ShowDataLog(data, {6, 10, 1});
        const double decode = timer.restart() / 1000.0;

        LogGridModel model;
        QTableView grid;
        grid.resize(900, 600);
        grid.setModel(&model);
        model.SetTable(*table);
        grid.show();
        QApplication::processEvents();
        grid.scrollToBottom();
        QApplication::processEvents();
        const double show = timer.restart() / 1000.0;

        SaveLogRecordsToFile(*table, folder.filePath(QStringLiteral("log.csv")));
        const double exportSeconds = timer.elapsed() / 1000.0;
        state.counters["rows"] = double(table->rows.size());
        state.counters["decode_s"] = decode;
        state.counters["show_s"] = show;
        state.counters["export_s"] = exportSeconds;
        state.counters["growth_MB"] = ResidentMegabytes() - before;
        QFile::remove(folder.filePath(QStringLiteral("log.csv")));
    }
}
BENCHMARK(FullDataLog)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
