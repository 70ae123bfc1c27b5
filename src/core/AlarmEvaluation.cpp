#include "AlarmEvaluation.h"

#include "AlarmText.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "DesktopAlert.h"
#include "GeneralDate.h"
#include "NotificationEmails.h"
#include "Polling.h"
#include "ProgramFolder.h"
#include "ReplyDecoding.h"
#include "SensorRecordFiles.h"
#include "ServerDatabase.h"
#include "StatusBoard.h"
#include "StatusGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlRecord>

namespace {

const QChar kCR(u'\r');
const QString kAlarmEmailErrorKey = QStringLiteral("Error sending Alarm Email");
const QString kErrorLabel = QStringLiteral("CompareToEmailLimitsErr");

constexpr int kWindowsRed = 255;
constexpr int RGB(int r, int g, int b)
{
    return r + 256 * g + 65536 * b;
}

// The sound ships beside the executable; the program folder may be elsewhere (VANTREL_HOME).
QString AlarmSound()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ding.wav");
}

QString Now()
{
    return GeneralDateText(Clock::Now());
}

QString FailedSendText(const QString &error)
{
    return QStringLiteral("There was an error sending an alarm email ") + Now() + kCR +
           QStringLiteral("The email error is:") + kCR + error;
}

std::optional<float> LimitOf(const QSqlRecord &row, const char *column)
{
    const QVariant value = row.value(QLatin1String(column));
    bool ok = false;
    const float number = value.toFloat(&ok);
    if (value.isNull() || !ok)
        return std::nullopt;
    return number;
}

QString ServerField(qint32 serverId, const QString &field)
{
    QVariant value;
    GetServerField(serverId, QStringLiteral("tblServers"), field, value);
    return value.toString();
}

bool SaveAlarmRow(qint32 alarmId, const QString &emailSent, const QString &cause)
{
    DatabaseConnection db;
    return db.Exec(
        QStringLiteral("UPDATE tblAlarms SET EmailSent = ?, CauseOfAlarm = ? WHERE IDNum = ?"),
        {emailSent, cause, alarmId});
}

bool CloseAlarmRow(qint32 alarmId)
{
    DatabaseConnection db;
    return db.Exec(
        QStringLiteral("UPDATE tblAlarms SET AlarmEnd = ?, AlarmActive = 0 WHERE IDNum = ?"),
        {Now(), alarmId});
}

bool SaveBackupRow(qint64 rowid, const QString &column, const QString &value)
{
    DatabaseConnection db;
    // The column name comes from this file only, never from data.
    return db.Exec(QStringLiteral("UPDATE tblLogFileBackup SET ") + column +
                       QStringLiteral(" = ? WHERE rowid = ?"),
                   {value, rowid});
}

struct SensorPass {
    qint32 serverId = 0;
    qint32 sensorId = 0;
    float reading = 0;
    int stateCode = 0;
    AlarmFacts facts;
    QString emailAddresses;
};

void ReportAlarmEmail(bool sent, const QString &error, qint32 alarmId, const QString &message)
{
    if (sent) {
        SaveAlarmRow(alarmId, Now(), message);
        SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("delete"));
    } else {
        SaveAlarmRow(alarmId, FailedSendText(error), message);
        SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("See Alarm Tab for details"));
    }
}

bool OpenAlarms(qint32 sensorId, Recordset &rows, qint32 &count)
{
    return RecordOpenAlarms(QStringLiteral("tblAlarms"), QStringLiteral("SensorIDNum"), sensorId,
                            QStringLiteral("AlarmEnd"), rows, count);
}

qint32 IdOf(const QSqlRecord &row)
{
    return row.value(QStringLiteral("IDNum")).toInt();
}

void OpenNewAlarm(const SensorPass &s)
{
    const AlarmFacts &f = s.facts;
    AddAlarmRecord(s.sensorId, Now(), f.serverName, f.sensorName, f.readingText, f.minutes, -1);
    Recordset open;
    qint32 count = 0;
    if (!OpenAlarms(s.sensorId, open, count) || count == 0)
        return;
    const qint32 alarmId = IdOf(open.last());
    const QString message = BuildAlarmMessage(f, QString());
    if (s.emailAddresses.isEmpty()) {
        SaveAlarmRow(
            alarmId,
            QStringLiteral("An attempt to send an alarm email was made at: ") + Now() + kCR +
                QStringLiteral("The email could not be sent as no email addresses have been "
                               "programmed for this device."),
            message);
        return;
    }
    QString error;
    const bool sent = SendAlarmEmail(s.serverId, f.sensorName, message, error, QString());
    ReportAlarmEmail(sent, error, alarmId, message);
}

void RemindIfDue(const SensorPass &s, const Recordset &open)
{
    const QDateTime now = Clock::Now();
    const QString start = open.first().value(QStringLiteral("AlarmStart")).toString();
    // An alarm whose first e-mail failed, or that has nobody to tell, gets no reminder.
    const QDateTime lastSent =
        ParseGeneralDate(open.last().value(QStringLiteral("EmailSent")).toString()).value_or(now);
    const int interval = Config().ReminderIndex * 30;
    if (interval == 0 || MinuteBoundariesBetween(lastSent, now) < interval)
        return;

    const AlarmFacts &f = s.facts;
    const QString message = BuildAlarmMessage(f, QStringLiteral("REMINDER"));
    if (s.emailAddresses.isEmpty())
        return;
    QString error;
    if (!SendAlarmEmail(s.serverId, f.sensorName, message, error, QStringLiteral("REMINDER")))
        return; // tried again next cycle
    if (open.size() == 1)
        AddAlarmRecord(s.sensorId, start, f.serverName, f.sensorName, f.readingText, f.minutes, -1);
    Recordset reopened;
    qint32 count = 0;
    if (!OpenAlarms(s.sensorId, reopened, count) || count == 0)
        return;
    SaveAlarmRow(IdOf(reopened.last()), GeneralDateText(now), message);
    SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("delete"));
}

void RunAlarmStateMachine(const SensorPass &s)
{
    if (s.reading == kNoDataReading)
        return;
    Recordset open;
    qint32 count = 0;
    OpenAlarms(s.sensorId, open, count);
    const bool failureReading = s.reading == 1000 || s.reading == 999 || s.reading == -999;
    if (!failureReading && s.stateCode < 1) {
        if (count == 0)
            return;
        // One row closes per normal pass: a reminding alarm takes two passes.
        CloseAlarmRow(IdOf(open.last()));
        QString error;
        SendAlarmClearedEmail(s.serverId, s.facts.sensorName,
                              QStringLiteral("The sensor is back within limits."), error);
        return;
    }
    if (count == 0)
        OpenNewAlarm(s);
    else
        RemindIfDue(s, open);
}

// Once per outage of the log folder: a row in tblLogFileBackup and a notice e-mail.
void CheckLogFolder(const QString &folder)
{
    Recordset open;
    qint32 count = 0;
    const bool holdsRecords =
        !QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files).isEmpty();
    if (holdsRecords) {
        if (RecordOpenBackupFileErrors(open, count) && count > 0) {
            const qint64 rowid = open.last().value(QStringLiteral("rowid")).toLongLong();
            SaveBackupRow(rowid, QStringLiteral("LatestAttempt"), Now());
            SaveBackupRow(rowid, QStringLiteral("BackOnLine"), Now());
        }
        return;
    }
    if (!RecordOpenBackupFileErrors(open, count) || count > 0)
        return;
    AddLogFileBackupError(QStringLiteral("Failed to write log files to backup directory ") +
                          folder);
    if (!RecordOpenBackupFileErrors(open, count) || count == 0)
        return;
    const qint64 rowid = open.last().value(QStringLiteral("rowid")).toLongLong();
    QString error;
    const bool sent = SendTextEmail(
        QStringLiteral("There was an error writing data log files to the programmed directory ") +
            folder + QStringLiteral(".  A backup copy is being kept in ") + ProgramFolder(),
        error);
    if (sent) {
        SaveBackupRow(rowid, QStringLiteral("EmailSent"), Now());
        SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("delete"));
    } else {
        SaveBackupRow(rowid, QStringLiteral("EmailSent"), FailedSendText(error));
        SetStatusMessage(kAlarmEmailErrorKey, QString());
    }
}

void WriteRecordFiles(const QString &folder, const SensorPass &s)
{
    const AlarmFacts &f = s.facts;
    // A limit the sensor row does not hold is written as 0, never borrowed.
    SaveSensorDatToFile(folder, s.sensorId, f.sensorName, f.serverName, f.unitText,
                        f.upperLimit.value_or(0), f.lowerLimit.value_or(0));
    AppendAverageRecord(folder, s.sensorId, s.reading);
    AppendInstantRecord(folder, s.sensorId, s.reading);
}

void SetGridCell(int row, int column, const QString &text)
{
    StatusGridView *grid = InstalledStatusGrid();
    if (grid && row > 0)
        grid->SetCell(row, column, text);
}

} // namespace

bool CompareToEmailLimits(qint32 serverId, const QString &serverModel)
{
    Recordset sensors;
    qint16 count = 0;
    QString error;
    if (!OpenServerSensors(serverId, sensors, count, &error)) {
        if (error.isEmpty())
            return true; // no named sensor
        RecordSystemError(kErrorLabel, error);
        return false;
    }
    const ReplyDecodingState &decoded = Decoded();
    const QString logFolder = Polling().LogDirectory.trimmed();

    for (const QSqlRecord &row : sensors) {
        SensorPass s;
        s.serverId = serverId;
        s.sensorId = row.value(QStringLiteral("IDNum")).toInt();
        const int port = row.value(QStringLiteral("PortNum")).toInt();
        if (port < 0 || port > 9) {
            // Another port's reading must never be shown or judged as this sensor's.
            RecordSystemError(kErrorLabel,
                              QStringLiteral("Sensor %1 has port %2, outside 0 to 9.")
                                  .arg(s.sensorId)
                                  .arg(row.value(QStringLiteral("PortNum")).toString()));
            continue;
        }
        AlarmFacts &f = s.facts;
        f.sensorName = row.value(QStringLiteral("SensorName")).toString();
        f.sensorNotes = row.value(QStringLiteral("SensorNotes")).toString();
        f.sensorType = row.value(QStringLiteral("SensorType")).toString();
        f.upperLimit = LimitOf(row, "UpperLimit");
        f.lowerLimit = LimitOf(row, "LowerLimit");
        f.serverName = ServerField(serverId, QStringLiteral("ServerName"));

        StatusGridView *grid = InstalledStatusGrid();
        const int gridRow = grid ? grid->RowOfSensor(s.sensorId) : -1;
        SetGridCell(gridRow, StatusColumn::Device, f.serverName);
        SetGridCell(gridRow, StatusColumn::Sensor, f.sensorName);
        SetGridCell(gridRow, StatusColumn::SensorID, QString::number(s.sensorId));

        f.unitText = SensorUnitText(serverModel, port, decoded.UnitLetter);
        SetGridCell(gridRow, StatusColumn::Units, f.unitText);
        s.emailAddresses = ServerField(serverId, QStringLiteral("EmailAddress"));

        s.reading = decoded.ChannelReadings[3 * port];
        f.minutes = qint32(decoded.ChannelReadings[3 * port + 1]);
        s.stateCode = int(decoded.ChannelReadings[3 * port + 2]);

        // A door, contact or water reading other than 0 or 1 keeps this text: the number.
        f.readingText = QString::number(double(s.reading), 'g', 7);
        if (FormatSensorReading(s.reading, f.sensorType, f.readingText)) {
            WriteRecordFiles(ProgramFolder(), s);
            if (!logFolder.isEmpty()) {
                WriteRecordFiles(logFolder, s);
                CheckLogFolder(logFolder);
            }
        }
        SetGridCell(gridRow, StatusColumn::Reading, f.readingText);

        RunAlarmStateMachine(s);

        qint32 active = 0;
        RecordActiveAlarms(s.sensorId, active);
        const SensorStatus status = StatusOfSensor(active > 0, s.stateCode, s.reading);
        SetGridCell(gridRow, StatusColumn::Status, status.text);
        if (grid && gridRow > 0)
            grid->SetCellBackColour(gridRow, StatusColumn::Status, status.colour);
    }
    return true;
}

void NotifyAlarm()
{
    const StatusGridView *grid = InstalledStatusGrid();
    DesktopAlert *alert = InstalledDesktopAlert();
    if (!grid || !alert)
        return;
    for (int row = 1; row < grid->RowCount(); ++row) {
        bool numeric = false;
        grid->Cell(row, StatusColumn::SensorID).toLongLong(&numeric);
        if (numeric &&
            !grid->Cell(row, StatusColumn::Status).toUpper().contains(QLatin1String("NORMAL"))) {
            alert->SetSoundFile(AlarmSound());
            alert->Show(
                QStringLiteral("There is a temperature alarm.  Please view status on Vantrel."));
            return;
        }
    }
}

void SetupAlertPopup(const QString &picturePath)
{
    DesktopAlert *alert = InstalledDesktopAlert();
    if (!alert)
        return;
    alert->SetBackColour(RGB(175, 185, 215));
    alert->SetPicture(picturePath);
    alert->SetTitleColour(RGB(128, 0, 0));
    alert->SetTextColour(kWindowsRed);
    alert->SetSoundFile(AlarmSound());
    alert->SetDisplayTime(6000);
}
