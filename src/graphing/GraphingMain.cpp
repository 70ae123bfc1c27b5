#include "GraphingMain.h"

#include "AnsiText.h"
#include "GeneralDate.h"
#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {

GraphingState g_state;

constexpr int kEventsEveryMs = 50;
// About 64 KiB per read: a scan costs no system call per record.
constexpr qint64 kBlockRecords = 2048;

// The date text of a record as stored, blanks trimmed.
QString DateText(const QByteArray &record)
{
    return FromAnsi(record.left(kRecordDateWidth)).trimmed();
}

QString DayPart(const QString &dateText)
{
    const qsizetype blank = dateText.indexOf(u' ');
    return blank < 0 ? dateText : dateText.left(blank);
}

// The first dated record in [from, to), with its day.
std::optional<std::pair<qint64, QDate>> FirstDatedFrom(RecordReader &file, qint64 from, qint64 to,
                                                       RecordPacer &pacer, bool &stopped)
{
    for (qint64 i = from; i < to; ++i) {
        const std::optional<QDate> day = file.DayOf(i);
        if (!pacer.GoOn(i)) {
            stopped = true;
            return std::nullopt;
        }
        if (day)
            return std::pair{i, *day};
    }
    return std::nullopt;
}

// The first dated record whose day is `day` or later, or nothing. Records in one file are
// in time order, so halving finds it in a few reads even in a month of 5-second readings.
std::optional<qint64> FirstOnOrAfter(RecordReader &file, const QDate &day, RecordPacer &pacer,
                                     bool &stopped)
{
    qint64 low = 1;
    qint64 high = file.Count() + 1;
    std::optional<qint64> found;
    while (low < high && !stopped) {
        const qint64 middle = low + (high - low) / 2;
        const auto dated = FirstDatedFrom(file, middle, high, pacer, stopped);
        if (!dated) {
            high = middle;
        } else if (dated->second >= day) {
            found = dated->first;
            high = middle;
        } else {
            low = dated->first + 1;
        }
    }
    return found;
}

// The last dated record whose day is `day` or earlier: the one before the first of the
// next day, back over undated ones; 0 when there is none.
qint64 LastOnOrBefore(RecordReader &file, const QDate &day, RecordPacer &pacer, bool &stopped)
{
    qint64 last =
        FirstOnOrAfter(file, day.addDays(1), pacer, stopped).value_or(file.Count() + 1) - 1;
    while (last >= 1 && !file.DayOf(last))
        --last;
    return last;
}

// Empty when nothing starts the range or it would end before it starts.
RecordRange RangeFromTo(std::optional<qint64> first, qint64 last)
{
    if (!first || last < *first)
        return RecordRange();
    return RecordRange{*first, last};
}

} // namespace

GraphingState &Graphing()
{
    return g_state;
}

void ResetGraphing()
{
    g_state = GraphingState();
    g_state.DataFolder = ProgramFolder();
}

int RecordLength(RecordKind kind)
{
    return kind == RecordKind::Average ? AverageRecord::kLength : InstantRecord::kLength;
}

std::optional<RecordKind> RecordFileKind(const QString &fileName)
{
    const QString name = fileName.toLower();
    if (!name.endsWith(QStringLiteral(".dat")))
        return std::nullopt;
    if (name.contains(QStringLiteral("average")))
        return RecordKind::Average;
    if (name.contains(QStringLiteral("inst")))
        return RecordKind::Instant;
    return std::nullopt;
}

std::optional<qint32> SensorIdOf(const QString &fileName)
{
    const qsizetype dash = fileName.indexOf(u'-');
    if (dash < 0)
        return std::nullopt;
    const qsizetype blank = fileName.indexOf(u' ', dash + 1);
    if (blank < 0)
        return std::nullopt;
    bool ok = false;
    const qint32 id = fileName.mid(dash + 1, blank - dash - 1).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return id;
}

QList<RecordFileEntry> ListRecordFiles(const QString &folder)
{
    QList<RecordFileEntry> entries;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files,
                                                     QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names) {
        const std::optional<RecordKind> kind = RecordFileKind(name);
        const std::optional<qint32> id = SensorIdOf(name);
        if (kind && id)
            entries.append({name, *kind, *id});
    }
    return entries;
}

bool ReadSensorHeader(qint32 sensorId, const QString &folder)
{
    g_state.SensorHeader = SensorHeaderRecord();
    QFile file(SensorHeaderFileName(folder, sensorId));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The names and units are all this program needs; the limits may be missing.
    constexpr int kNamesLength = 43;
    QByteArray bytes = file.read(kNamesLength);
    if (bytes.size() != kNamesLength)
        return false;
    bytes.append(SensorHeaderRecord::kLength - kNamesLength, '\0');
    const auto header = SensorHeaderRecord::Decode(bytes);
    if (!header)
        return false;
    g_state.SensorHeader = *header;
    return true;
}

QString HeaderServerName()
{
    return g_state.SensorHeader.serverName.trimmed();
}

QString HeaderSensorName()
{
    return g_state.SensorHeader.sensorName.trimmed();
}

QString HeaderUnits()
{
    return g_state.SensorHeader.units.trimmed();
}

RecordPacer::RecordPacer(const Progress &progress) : m_progress(progress)
{
    m_sinceEvents.start();
}

bool RecordPacer::GoOn(qint64 record)
{
    if (m_sinceEvents.elapsed() >= kEventsEveryMs) {
        m_progress.number(record);
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
    return !StopRequested();
}

bool StopRequested()
{
    return g_state.CancelRequested || g_state.CloseRequested;
}

RecordReader::RecordReader(const QString &path, RecordKind kind) : m_file(path), m_kind(kind)
{
    if (m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        m_count = RecordCount(m_file.size(), RecordLength(kind));
}

void RecordReader::ReadBlock(qint64 number)
{
    const int length = RecordLength(m_kind);
    // Walking back over records, the block ends at the record asked for.
    m_blockFirst = number < m_blockFirst ? std::max<qint64>(1, number - kBlockRecords + 1) : number;
    m_block.resize(std::min(kBlockRecords, m_count - m_blockFirst + 1) * length);
    const qint64 got =
        m_file.seek((m_blockFirst - 1) * length) ? m_file.read(m_block.data(), m_block.size()) : -1;
    // A file cut short and a failed read both end the records here; only one is an error.
    if (got < 0)
        m_failed = true;
    if (got < m_block.size())
        m_count = m_blockFirst - 1 + std::max<qint64>(got, 0) / length;
}

std::optional<QByteArray> RecordReader::Read(qint64 number)
{
    const int length = RecordLength(m_kind);
    if (number >= 1 && number <= m_count &&
        (number < m_blockFirst || number >= m_blockFirst + m_block.size() / length))
        ReadBlock(number);
    if (number < 1 || number > m_count)
        return std::nullopt;
    return m_block.mid((number - m_blockFirst) * length, length);
}

std::optional<QDate> RecordReader::DayOf(qint64 number)
{
    const std::optional<QByteArray> record = Read(number);
    if (!record)
        return std::nullopt;
    const std::optional<WallClock> moment = ParseWallClock(DateText(*record));
    if (!moment)
        return std::nullopt;
    return moment->date;
}

bool GetLogDateRange(const QString &path, RecordKind kind, QString &firstDate, QString &lastDate)
{
    firstDate.clear();
    lastDate.clear();
    RecordReader file(path, kind);
    qint64 n = file.Count();
    if (n <= 1)
        return false;
    const std::optional<QByteArray> first = file.Read(1);
    if (!first)
        return false;
    const QString firstText = DateText(*first);
    QString lastText = firstText;
    for (n = std::min(n, file.Count()); n > 1; n = std::min(n - 1, file.Count())) {
        const std::optional<QByteArray> record = file.Read(n);
        if (file.Failed())
            return false;
        if (record && ParseGeneralDate(DateText(*record))) {
            lastText = DateText(*record);
            break;
        }
    }
    firstDate = DayPart(firstText);
    lastDate = DayPart(lastText);
    return true;
}

std::optional<RecordRange> SearchRecordRange(RecordReader &file, const QDate &startDay,
                                             const QDate &endDay, const Progress &progress)
{
    RecordPacer pacer(progress);
    bool stopped = false;
    const std::optional<qint64> first = FirstOnOrAfter(file, startDay, pacer, stopped);
    const qint64 last = LastOnOrBefore(file, endDay, pacer, stopped);
    if (stopped)
        return std::nullopt;
    return RangeFromTo(first, last);
}

bool FindRecordRange(const QString &fileName, const QString &startDate, const QString &endDate,
                     RecordRange &range, const Progress &progress)
{
    range = RecordRange();
    const QString path = QDir(g_state.DataFolder).filePath(fileName);
    const std::optional<QDateTime> start = ParseGeneralDate(startDate);
    const std::optional<QDateTime> end = ParseGeneralDate(endDate);
    RecordReader file(path, RecordKind::Instant);
    if (!start || !end || !file.IsOpen())
        return false;
    QString firstDate;
    QString lastDate;
    GetLogDateRange(path, RecordKind::Instant, firstDate, lastDate);
    const std::optional<QDateTime> firstDay = ParseGeneralDate(firstDate);
    const std::optional<QDateTime> lastDay = ParseGeneralDate(lastDate);

    // A range that starts on the file's first day or ends on its last needs no search
    // for that end.
    RecordPacer pacer(progress);
    bool stopped = false;
    std::optional<qint64> first = 1;
    if (!firstDay || firstDay->date() != start->date()) {
        progress.text(QStringLiteral("Scanning for starting record"));
        first = FirstOnOrAfter(file, start->date(), pacer, stopped);
    }
    qint64 last = file.Count();
    if (!lastDay || lastDay->date() != end->date()) {
        progress.text(QStringLiteral("Scanning for ending record"));
        last = LastOnOrBefore(file, end->date(), pacer, stopped);
    }
    if (stopped)
        return false;
    range = RangeFromTo(first, last);
    return true;
}
