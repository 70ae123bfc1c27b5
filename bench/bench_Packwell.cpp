// What a whole Packwell run costs next to the engine's own in-place VACUUM followed by one
// integrity check, on the same file of about 200 MB of which a third of the pages are free.
// Both run side by side in each iteration, each on a fresh copy of the file, so the page
// cache and the disk treat them alike; VACUUM runs on a connection set up as Packwell's.
#include "Compaction.h"
#include "Main.h"
#include "ScriptedPrompt.h"

#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

// Rows in runs of 1000: deleting every third run frees whole pages.
bool MakeFile(const QString &path)
{
    QFile(path).open(QIODevice::WriteOnly);
    SqliteConnection file(path);
    return file.Run(QStringLiteral("CREATE TABLE tblReadings (id INTEGER PRIMARY KEY, sensor "
                                   "TEXT, reading REAL, note TEXT)")) &&
           file.Run(QStringLiteral(
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1800000) "
               "INSERT INTO tblReadings (sensor, reading, note) "
               "SELECT 'Sensor ' || (i % 8), i * 0.5, hex(randomblob(40)) FROM n")) &&
           file.Run(QStringLiteral("DELETE FROM tblReadings WHERE (id / 1000) % 3 = 0"));
}

// On the disk before the clock starts, so that neither side waits for the other's writes.
bool Fresh(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    ::sync();
    return true;
}

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void BM_PackwellAgainstVacuum(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString original = folder.filePath(QStringLiteral("original.mdb"));
    if (!MakeFile(original)) {
        state.SkipWithError("could not make the file");
        return;
    }
    qputenv("VANTREL_HOME", QFile::encodeName(folder.path()));
    const QString database = folder.filePath(QStringLiteral("finch.mdb"));
    const QString vacuumed = folder.filePath(QStringLiteral("vacuumed.mdb"));
    ScriptedPrompt answers; // Yes to every question
    Main window;

    double packwell = 0;
    double vacuum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(folder.filePath(QStringLiteral("finch.bak")));
        if (!Fresh(original, database) || !Fresh(original, vacuumed)) {
            state.SkipWithError("could not copy the file");
            return;
        }
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        window.PackwellTest();
        packwell += Seconds(timer);
        if (window.List->item(window.List->count() - 1)->text() != QLatin1String("Complete")) {
            state.SkipWithError("the run did not complete");
            return;
        }

        timer.start();
        {
            SqliteConnection file(vacuumed);
            if (!file.Run(QStringLiteral("VACUUM")) ||
                file.Run(QStringLiteral("PRAGMA integrity_check")) !=
                    QVariantList{QStringLiteral("ok")}) {
                state.SkipWithError("VACUUM failed");
                return;
            }
        }
        vacuum += Seconds(timer);
    }
    const double runs = double(state.iterations());
    state.counters["file_MB"] = double(QFile(original).size()) / 1e6;
    state.counters["compacted_MB"] = double(QFile(database).size()) / 1e6;
    state.counters["packwell_s"] = packwell / runs;
    state.counters["vacuum_check_s"] = vacuum / runs;
    state.counters["ratio"] = packwell / vacuum;
}

} // namespace

BENCHMARK(BM_PackwellAgainstVacuum)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();
