#include "ChartData.h"

#include "GeneralDate.h"

#include <QDir>

namespace {

const qint64 kDayZero = QDate(1899, 12, 30).toJulianDay();
constexpr double kMsPerDay = 86400000.0;

QString DataFile(const QString &fileName)
{
    return QDir(Graphing().DataFolder).filePath(fileName);
}

ScanResult Ended(ScanResult::Outcome outcome, const QString &errorText = {})
{
    ScanResult result;
    result.outcome = outcome;
    result.errorText = errorText;
    return result;
}

// The open file's records of the range of days; an empty range is "not enough data".
std::optional<RecordRange> RangeOf(RecordReader &file, const QString &startDate,
                                   const QString &endDate, const Progress &progress,
                                   ScanResult &ended)
{
    const std::optional<QDateTime> start = ParseGeneralDate(startDate);
    const std::optional<QDateTime> end = ParseGeneralDate(endDate);
    if (!start || !end) {
        ended = Ended(ScanResult::Outcome::Failed, QStringLiteral("Invalid date range"));
        return std::nullopt;
    }
    const auto range = SearchRecordRange(file, start->date(), end->date(), progress);
    if (!range)
        ended = Ended(ScanResult::Outcome::Stopped);
    return range;
}

} // namespace

void ChartData::AppendRow(double x, std::initializer_list<double> ys)
{
    for (const double y : ys) {
        m_values.append(x);
        m_values.append(y);
    }
}

double DayNumber(const WallClock &moment)
{
    return double(moment.date.toJulianDay() - kDayZero) +
           moment.time.msecsSinceStartOfDay() / kMsPerDay;
}

ScanResult ScanLogFile(const QString &fileName, const QString &startDate, const QString &endDate,
                       const Progress &progress)
{
    RecordReader file(DataFile(fileName), RecordKind::Average);
    if (!file.IsOpen())
        return Ended(ScanResult::Outcome::Failed, file.ErrorText());
    if (file.Count() <= 1)
        return Ended(ScanResult::Outcome::NotEnoughData);
    ScanResult result;
    const std::optional<RecordRange> range = RangeOf(file, startDate, endDate, progress, result);
    if (!range)
        return result;
    if (range->Empty())
        return Ended(ScanResult::Outcome::NotEnoughData);

    result.data = ChartData(3);
    result.data.Reserve(range->Size());
    RecordPacer pacer(progress);
    std::optional<QByteArray> bytes;
    for (qint64 i = range->first; i <= range->last && (bytes = file.Read(i)); ++i) {
        const AverageRecord record = *AverageRecord::Decode(*bytes);
        const std::optional<WallClock> moment = ParseWallClock(record.date);
        if (!moment) {
            result.data.AppendRow(kMissingPoint, {kMissingPoint, kMissingPoint, kMissingPoint});
        } else {
            result.maximum = std::max(result.maximum, record.maximum);
            result.minimum = std::min(result.minimum, record.minimum);
            const double average =
                record.count > 0 ? double(record.sum) / record.count : kMissingPoint;
            result.data.AppendRow(DayNumber(*moment),
                                  {average, double(record.maximum), double(record.minimum)});
        }
        if (!pacer.GoOn(i))
            return Ended(ScanResult::Outcome::Stopped);
    }
    if (file.Failed())
        return Ended(ScanResult::Outcome::Failed, file.ErrorText());
    result.outcome = ScanResult::Outcome::Done;
    return result;
}

ScanResult ScanInstLogFile(const QString &fileName, const QString &startDate,
                           const QString &endDate, const Progress &searchProgress,
                           const Progress &progress)
{
    RecordRange range;
    if (!FindRecordRange(fileName, startDate, endDate, range, searchProgress)) {
        if (StopRequested())
            return Ended(ScanResult::Outcome::Stopped);
        return Ended(ScanResult::Outcome::Failed, QStringLiteral("The record file cannot be read"));
    }
    if (range.Empty())
        return Ended(ScanResult::Outcome::NotEnoughData);

    progress.text(QStringLiteral("Graphing #:"));
    RecordReader file(DataFile(fileName), RecordKind::Instant);
    ScanResult result;
    result.data = ChartData(1);
    result.data.Reserve(range.Size());
    RecordPacer pacer(progress);
    std::optional<QByteArray> bytes;
    for (qint64 i = range.first; i <= range.last && (bytes = file.Read(i)); ++i) {
        const InstantRecord record = *InstantRecord::Decode(*bytes);
        const std::optional<WallClock> moment = ParseWallClock(record.date);
        if (moment)
            result.data.AppendRow(DayNumber(*moment), {double(record.reading)});
        else
            result.data.AppendRow(kMissingPoint, {kMissingPoint});
        if (!pacer.GoOn(i))
            return Ended(ScanResult::Outcome::Stopped);
    }
    if (file.Failed())
        return Ended(ScanResult::Outcome::Failed, file.ErrorText());
    result.outcome = ScanResult::Outcome::Done;
    return result;
}
