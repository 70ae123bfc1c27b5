#pragma once

#include "GeneralDate.h"
#include "RecordLayouts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The graphing program's shared state: the folder whose record files it reads, the
// flags that stop a running scan, search or export, and the last sensor header read.
struct GraphingState {
    QString DataFolder;
    bool CancelRequested = false;
    bool CloseRequested = false;
    SensorHeaderRecord SensorHeader;
};
GraphingState &Graphing();
// As at program start: the program folder, no flags, a blank header.
void ResetGraphing();

enum class RecordKind { Average, Instant };
int RecordLength(RecordKind kind);

// A record file of the folder listing: decided once from the file name alone, as a folder
// name may hold the same words.
struct RecordFileEntry {
    QString name;
    RecordKind kind;
    qint32 sensorId;
};
// The kind of a "*.dat" file by its name, or nothing when it is no record file.
std::optional<RecordKind> RecordFileKind(const QString &fileName);
// The number between the first "-" and the next blank: "Sensor-12 Average.dat" is 12.
std::optional<qint32> SensorIdOf(const QString &fileName);
// The record files of the folder by name, ignoring case; a name without a sensor ID is
// passed over.
QList<RecordFileEntry> ListRecordFiles(const QString &folder);

// Blanks `SensorHeader`, then fills it from the sensor's header file; false when that is
// missing or short, so the names show blank.
bool ReadSensorHeader(qint32 sensorId, const QString &folder);
QString HeaderServerName();
QString HeaderSensorName();
QString HeaderUnits();

// Where a long run shows what it does and which record it is at.
struct Progress {
    std::function<void(const QString &)> text = [](const QString &) {};
    std::function<void(qint64)> number = [](qint64) {};
};

// Lets the event loop run and the progress box follow about every 50 ms of a run over
// records, so a month of readings takes no longer than its reading, yet Cancel and Close
// act at once. After every record the run asks whether it should go on.
class RecordPacer {
public:
    explicit RecordPacer(const Progress &progress);
    // False when a cancel or close was asked for.
    bool GoOn(qint64 record);

private:
    const Progress &m_progress;
    QElapsedTimer m_sinceEvents;
};
bool StopRequested();

// A record file opened for reading, its whole records counted. It is read, never mapped:
// the monitoring program or a user may cut the file short while it is read, and a file
// found shorter simply has fewer records.
class RecordReader {
public:
    RecordReader(const QString &path, RecordKind kind);
    bool IsOpen() const { return m_file.isOpen(); }
    QString ErrorText() const { return m_file.errorString(); }
    // Whole records; lowered when a read finds the file cut short.
    qint64 Count() const { return m_count; }
    RecordKind Kind() const { return m_kind; }
    // True once a read failed (as opposed to finding the file shorter).
    bool Failed() const { return m_failed; }
    // The record's raw bytes; nothing outside 1..Count() or on a read failure.
    std::optional<QByteArray> Read(qint64 number);
    // The record's day, or nothing when its text is no date (or it cannot be read).
    std::optional<QDate> DayOf(qint64 number);

private:
    void ReadBlock(qint64 number);

    QFile m_file;
    RecordKind m_kind;
    qint64 m_count = 0;
    bool m_failed = false;
    // Records read ahead in one system call, from record `m_blockFirst` on.
    QByteArray m_block;
    qint64 m_blockFirst = 0;
};

// First and last date of a record file, each cut at its first blank (the day alone); false
// with both empty for a file of fewer than two records or one that cannot be read.
bool GetLogDateRange(const QString &path, RecordKind kind, QString &firstDate, QString &lastDate);

// The records of a range of days: the first on or after the start day and the last on or
// before the end day; both 0 when no record lies in the range.
struct RecordRange {
    qint64 first = 0;
    qint64 last = 0;
    bool Empty() const { return first == 0; }
    qint64 Size() const { return Empty() ? 0 : last - first + 1; }
};

// The range of days in the instantaneous file `fileName` of the data folder. False on a
// cancel or close request or a read failure.
bool FindRecordRange(const QString &fileName, const QString &startDate, const QString &endDate,
                     RecordRange &range, const Progress &progress);
// The same for an opened file of either kind; records without a date are passed over in
// the search (but stay inside a range that has dated records on both sides).
std::optional<RecordRange> SearchRecordRange(RecordReader &file, const QDate &startDay,
                                             const QDate &endDay, const Progress &progress);
