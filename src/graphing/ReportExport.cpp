#include "ReportExport.h"

#include "GeneralDate.h"
#include "NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

constexpr char kCrLf[] = "\r\n";

// A damaged record's text may hold quotes and line breaks: it stays one field of one row.
QByteArray Quoted(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace('"', "\"\"").replace('\r', ' ').replace('\n', ' ');
    return '"' + bytes + '"';
}

QString AverageText(const AverageRecord &record, AverageStyle style)
{
    if (record.count <= 0)
        return {};
    const double average = double(record.sum) / record.count;
    // Written through a 64-bit whole number (of tenths for one decimal): a damaged sum
    // that does not fit is left out rather than written as a wrapped-around value.
    const double scaled = std::round(style == AverageStyle::Whole ? average : average * 10);
    if (!(std::fabs(scaled) < 0x1p63))
        return {};
    if (style == AverageStyle::Whole)
        return QString::number(qint64(scaled));
    return FormatPointZero(average).replace(u'.', QLocale().decimalPoint());
}

// A CSV file opened for appending, rows added one at a time.
class CsvWriter {
public:
    CsvWriter(const QString &path, RecordKind kind) : m_file(path)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
        if (m_file.size() == 0)
            Write(kind == RecordKind::Average
                      ? QByteArrayLiteral("\"Date/Time\",\"Average over 1 hour\","
                                          "\"Max over 1 hour\",\"Min over 1 Hour\"")
                      : QByteArrayLiteral("\"Date/Time\",\"Data\""));
    }

    ~CsvWriter() { Flush(); }

    bool Ok() const { return m_ok && m_file.isOpen(); }
    QString ErrorText() const { return m_file.errorString(); }

    // A record's row; false when it cannot be written.
    bool Row(const QByteArray &bytes, RecordKind kind, AverageStyle style)
    {
        if (kind == RecordKind::Average) {
            const AverageRecord r = *AverageRecord::Decode(bytes);
            return Write(Quoted(r.date.trimmed()) + ',' + Quoted(AverageText(r, style)) + ',' +
                         PlainNumber(r.maximum).toLatin1() + ',' +
                         PlainNumber(r.minimum).toLatin1());
        }
        const InstantRecord r = *InstantRecord::Decode(bytes);
        return Write(Quoted(r.date.trimmed()) + ',' + PlainNumber(r.reading).toLatin1());
    }

    // Rows are gathered and written in blocks: one system call per row would cost more
    // than the rest of the export.
    bool Flush()
    {
        m_ok = m_ok && m_file.write(m_pending) == m_pending.size();
        m_pending.clear();
        return m_ok;
    }

private:
    static constexpr qsizetype kBlock = 64 * 1024;

    bool Write(const QByteArray &row)
    {
        m_pending += row;
        m_pending += kCrLf;
        return m_pending.size() < kBlock || Flush();
    }

    QFile m_file;
    QByteArray m_pending;
    bool m_ok = true;
};

ExportResult Failed(const QString &errorText)
{
    return {ExportResult::Outcome::Failed, errorText};
}

// Writes records `first` to `last` of the open record file.
ExportResult WriteRows(RecordReader &file, qint64 first, qint64 last, const QString &csvPath,
                       AverageStyle style, const Progress &progress)
{
    CsvWriter csv(csvPath, file.Kind());
    if (!csv.Ok())
        return Failed(csv.ErrorText());
    RecordPacer pacer(progress);
    std::optional<QByteArray> bytes;
    // A file cut short while it is read ends the rows there.
    for (qint64 i = first; i <= last && (bytes = file.Read(i)); ++i) {
        if (!csv.Row(*bytes, file.Kind(), style))
            return Failed(csv.ErrorText());
        if (!pacer.GoOn(i))
            return {ExportResult::Outcome::Stopped, {}};
    }
    if (file.Failed())
        return Failed(file.ErrorText());
    if (!csv.Flush())
        return Failed(csv.ErrorText());
    return {ExportResult::Outcome::Done, {}};
}

} // namespace

QString PlainNumber(float value)
{
    const double v = value;
    char shortest[32];
    const auto written =
        std::to_chars(std::begin(shortest), std::end(shortest), v, std::chars_format::general, 7);
    const std::string_view text(shortest, written.ptr);
    if (text.find('e') == std::string_view::npos || !std::isfinite(v))
        return QString::fromLatin1(text);
    // Very large or small: written out in full.
    const int decimals = std::max(0, 6 - int(std::floor(std::log10(std::fabs(v)))));
    QString digits = QString::number(QString::fromLatin1(text).toDouble(), 'f', decimals);
    if (digits.contains(u'.')) {
        while (digits.endsWith(u'0'))
            digits.chop(1);
        if (digits.endsWith(u'.'))
            digits.chop(1);
    }
    return digits;
}

ExportResult ExportRange(const QString &fileName, const QString &csvPath, const QString &startDate,
                         const QString &endDate, const Progress &progress)
{
    const QString path = QDir(Graphing().DataFolder).filePath(fileName);
    const RecordKind kind = RecordFileKind(fileName).value_or(RecordKind::Instant);
    RecordRange range;
    RecordReader file(path, kind);
    if (!file.IsOpen())
        return Failed(file.ErrorText());
    if (kind == RecordKind::Average) {
        progress.text(QStringLiteral("Scanning Record #:"));
        const std::optional<QDateTime> start = ParseGeneralDate(startDate);
        const std::optional<QDateTime> end = ParseGeneralDate(endDate);
        if (!start || !end)
            return Failed(QStringLiteral("Invalid date range"));
        const auto found = SearchRecordRange(file, start->date(), end->date(), progress);
        if (!found)
            return {ExportResult::Outcome::Stopped, {}};
        range = *found;
        progress.text(QStringLiteral("Saving Record:"));
    } else {
        if (!FindRecordRange(fileName, startDate, endDate, range, progress)) {
            if (StopRequested())
                return {ExportResult::Outcome::Stopped, {}};
            return Failed(QStringLiteral("The record file cannot be read"));
        }
        progress.text(QStringLiteral("Writing Record #"));
    }
    // A range without records still gives the file its header row.
    return WriteRows(file, range.Empty() ? 1 : range.first, range.Empty() ? 0 : range.last, csvPath,
                     AverageStyle::OneDecimal, progress);
}

ExportResult ExportAll(const QString &path, RecordKind kind, const QString &csvPath,
                       const Progress &progress)
{
    RecordReader file(path, kind);
    if (!file.IsOpen())
        return Failed(file.ErrorText());
    return WriteRows(file, 1, file.Count(), csvPath, AverageStyle::Whole, progress);
}

std::optional<QString> FileNamePart(const QString &name)
{
    if (name == u"." || name == u"..")
        return std::nullopt;
    QString part = name;
    for (QChar &c : part) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    return part;
}

std::optional<QString> BatchCsvPath(const QString &folder, const QString &sensorName,
                                    RecordKind kind, const QString &firstDate)
{
    const std::optional<QString> name = FileNamePart(sensorName);
    if (!name)
        return std::nullopt;
    const std::optional<QDateTime> first = ParseGeneralDate(firstDate);
    const QString kindText = kind == RecordKind::Instant
                                 ? QStringLiteral(" Instantaneous data from ")
                                 : QStringLiteral(" Average data from ");
    const QString month = first ? QString::number(first->date().month()) + u'-' +
                                      QString::number(first->date().year())
                                : QString();
    const QString path = QDir(folder).filePath(*name + kindText + month + QStringLiteral(".csv"));
    if (QFileInfo(path).absolutePath() != QDir(folder).absolutePath())
        return std::nullopt;
    return path;
}
