#pragma once

#include "GraphingMain.h"

#include <QString>

// A stored reading as plain decimal text: at most 7 significant digits, a point, never an
// exponent (23.1, not 23.1000004 or 2.31E+01).
QString PlainNumber(float value);

// How the hour's average is written: the single export with one decimal in the user's
// locale (".5"), the whole-file conversion as a whole number (halves away from zero).
enum class AverageStyle { OneDecimal, Whole };

struct ExportResult {
    enum class Outcome { Done, Stopped, Failed };
    Outcome outcome = Outcome::Failed;
    QString errorText;
};

// The records of the days from `startDate` to `endDate` of the data folder's file
// `fileName`, appended to the CSV file; the header row goes only into an empty file.
// Progress label texts are given to `progress` as the export goes.
ExportResult ExportRange(const QString &fileName, const QString &csvPath, const QString &startDate,
                         const QString &endDate, const Progress &progress);
// Every record of the file at `path`.
ExportResult ExportAll(const QString &path, RecordKind kind, const QString &csvPath,
                       const Progress &progress);

// A name from a device as part of a file name: separators and control characters become
// "_"; nothing for "." or "..".
std::optional<QString> FileNamePart(const QString &name);
// The CSV file the whole-file conversion writes a record file to: the sensor's name, its
// kind and the month and year of its first day, in `folder`; nothing when the name cannot
// name a file there.
std::optional<QString> BatchCsvPath(const QString &folder, const QString &sensorName,
                                    RecordKind kind, const QString &firstDate);
