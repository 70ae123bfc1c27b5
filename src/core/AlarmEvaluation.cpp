#include "AlarmEvaluation.h"

#include "AlarmText.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "DesktopAlert.h"
#include "GeneralDate.h"
#include "NotificationEmails.h"
#include "NumberText.h"
#include "Polling.h"
#include "ProgramFolder.h"
#include "ReplyDecoding.h"
#include "SensorRecordFiles.h"
#include "ServerDatabase.h"
#include "StatusBoard.h"
#include "StatusGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QSqlRecord>

#include <algorithm>

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

struct SensorPass {
    qint32 serverId = 0;
    qint32 sensorId = 0;
    float reading = 0;
    int stateCode = 0;
    AlarmFacts facts;
    QString emailAddresses;
};

// What one server's pass carries from sensor to sensor.
struct ServerPass {
    std::optional<Recordset> alarms; // the server's open or active rows; none when unreadable
    bool failed = false;             // a write failed; recorded once per pass
};

// Kept from cycle to cycle, so that a database fault neither silences nor repeats an alarm.
struct AlarmEvaluationState {
    QHash<qint32, QList<ServerSensor>> knownSensors; // each server's sensors as last read
    // Alarm e-mails that went out while their row could not say so: the moment, per sensor.
    QHash<qint32, QString> mailedNotRecorded;
    QString backupNoticeNotRecorded; // the same for the log-folder notice
    // Every server's sensor rows as read in the polling cycle numbered `sensorsCycle`.
    std::optional<QHash<qint32, QList<ServerSensor>>> cycleSensors;
    int sensorsCycle = 0;
};
AlarmEvaluationState g_state;

bool Write(ServerPass &pass, const QString &sql, const Bindings &bindings)
{
    DatabaseConnection db;
    if (db.Exec(sql, bindings))
        return true;
    if (!pass.failed)
        RecordSystemError(kErrorLabel, db.LastError());
    pass.failed = true;
    return false;
}

bool SaveAlarmRow(ServerPass &pass, qint32 alarmId, const QString &emailSent, const QString &cause)
{
    return Write(
        pass,
        QStringLiteral("UPDATE tblAlarms SET EmailSent = ?, CauseOfAlarm = ? WHERE IDNum = ?"),
        {emailSent, cause, alarmId});
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

const QString kNoAddressesText = QStringLiteral("An attempt to send an alarm email was made at: ");

// The first e-mail of an alarm, for its new row or for an open row that never recorded one
// (alarmId 0: the row could not be stored). Sent once; the row learns of it when it can.
void SendFirstEmail(const SensorPass &s, qint32 alarmId, ServerPass &pass)
{
    const AlarmFacts &f = s.facts;
    const QString message = BuildAlarmMessage(f, QString());
    QHash<qint32, QString> &mailed = g_state.mailedNotRecorded;
    if (!mailed.contains(s.sensorId)) {
        if (s.emailAddresses.isEmpty()) {
            if (alarmId != 0)
                SaveAlarmRow(pass, alarmId,
                             kNoAddressesText + Now() + kCR +
                                 QStringLiteral("The email could not be sent as no email addresses "
                                                "have been programmed for this device."),
                             message);
            return;
        }
        QString error;
        if (!SendAlarmEmail(s.serverId, f.sensorName, message, error, QString())) {
            SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("See Alarm Tab for details"));
            if (alarmId != 0)
                SaveAlarmRow(pass, alarmId, FailedSendText(error), message);
            return;
        }
        SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("delete"));
        mailed.insert(s.sensorId, Now());
    }
    if (alarmId != 0 && SaveAlarmRow(pass, alarmId, mailed.value(s.sensorId), message))
        mailed.remove(s.sensorId);
}

void OpenNewAlarm(const SensorPass &s, ServerPass &pass)
{
    const AlarmFacts &f = s.facts;
    // The e-mail goes out whether or not the row could be stored; AddAlarmRecord logs why not.
    qint32 alarmId = 0;
    Recordset open;
    qint32 count = 0;
    if (AddAlarmRecord(s.sensorId, Now(), f.serverName, f.sensorName, f.readingText, f.minutes,
                       -1) &&
        OpenAlarms(s.sensorId, open, count) && count > 0)
        alarmId = IdOf(open.last());
    SendFirstEmail(s, alarmId, pass);
}

// An open alarm whose first e-mail failed, or whose program stopped before recording it,
// is tried again each cycle; one whose server has no addresses never is.
bool FirstEmailPending(const Recordset &open)
{
    const QString sent = open.last().value(QStringLiteral("EmailSent")).toString();
    return open.size() == 1 && !ParseGeneralDate(sent) && !sent.startsWith(kNoAddressesText);
}

void RemindIfDue(const SensorPass &s, const Recordset &open, ServerPass &pass)
{
    const QDateTime now = Clock::Now();
    const QString start = open.first().value(QStringLiteral("AlarmStart")).toString();
    QDateTime lastSent =
        ParseGeneralDate(open.last().value(QStringLiteral("EmailSent")).toString()).value_or(now);
    if (const auto mailed = g_state.mailedNotRecorded.constFind(s.sensorId);
        mailed != g_state.mailedNotRecorded.constEnd())
        lastSent = ParseGeneralDate(*mailed).value_or(lastSent);
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
    SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("delete"));
    if (open.size() == 1)
        AddAlarmRecord(s.sensorId, start, f.serverName, f.sensorName, f.readingText, f.minutes, -1);
    Recordset reopened;
    qint32 count = 0;
    if (OpenAlarms(s.sensorId, reopened, count) && count > 0 &&
        SaveAlarmRow(pass, IdOf(reopened.last()), GeneralDateText(now), message))
        g_state.mailedNotRecorded.remove(s.sensorId);
    else
        g_state.mailedNotRecorded.insert(s.sensorId, GeneralDateText(now));
}

// A failure reading, or a state the device counts as out of the normal.
bool IsAlarmReading(const SensorPass &s)
{
    return s.reading == 1000 || s.reading == 999 || s.reading == -999 || s.stateCode >= 1;
}

// False when it left tblAlarms as it was.
bool RunAlarmStateMachine(const SensorPass &s, const Recordset &open, ServerPass &pass)
{
    if (s.reading == kNoDataReading)
        return false;
    if (!IsAlarmReading(s)) {
        // Those told of an alarm are told it cleared, but only once its row is closed.
        const bool mailedWithoutRow = g_state.mailedNotRecorded.remove(s.sensorId);
        if (open.isEmpty() && !mailedWithoutRow)
            return false;
        // One row closes per normal pass: a reminding alarm takes two passes.
        if (!open.isEmpty() &&
            !Write(pass,
                   QStringLiteral(
                       "UPDATE tblAlarms SET AlarmEnd = ?, AlarmActive = 0 WHERE IDNum = ?"),
                   {Now(), IdOf(open.last())}))
            return true;
        QString error;
        SendAlarmClearedEmail(s.serverId, s.facts.sensorName,
                              QStringLiteral("The sensor is back within limits."), error);
        return true;
    }
    if (open.isEmpty())
        OpenNewAlarm(s, pass);
    else if (FirstEmailPending(open))
        SendFirstEmail(s, IdOf(open.last()), pass);
    else
        RemindIfDue(s, open, pass);
    return true;
}

// Once per outage of the log folder: a row in tblLogFileBackup and a notice e-mail.
void CheckLogFolder(const QString &folder, ServerPass &pass)
{
    Recordset open;
    qint32 count = 0;
    const auto rowidOf = [&open] { return open.last().value(QStringLiteral("rowid")); };
    QString &mailed = g_state.backupNoticeNotRecorded;
    const bool holdsRecords =
        !QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files).isEmpty();
    if (holdsRecords) {
        mailed.clear();
        if (RecordOpenBackupFileErrors(open, count) && count > 0)
            Write(pass,
                  QStringLiteral("UPDATE tblLogFileBackup SET LatestAttempt = ?, BackOnLine = ?"
                                 " WHERE rowid = ?"),
                  {Now(), Now(), rowidOf()});
        return;
    }
    if (!RecordOpenBackupFileErrors(open, count) || count > 0)
        return;
    const bool stored =
        AddLogFileBackupError(QStringLiteral("Failed to write log files to backup directory ") +
                              folder) &&
        RecordOpenBackupFileErrors(open, count) && count > 0;
    const QString save =
        QStringLiteral("UPDATE tblLogFileBackup SET EmailSent = ? WHERE rowid = ?");
    if (mailed.isEmpty()) {
        QString error;
        const bool sent = SendTextEmail(
            QStringLiteral(
                "There was an error writing data log files to the programmed directory ") +
                folder + QStringLiteral(".  A backup copy is being kept in ") + ProgramFolder(),
            error);
        if (!sent) {
            SetStatusMessage(kAlarmEmailErrorKey, QString());
            if (stored)
                Write(pass, save, {FailedSendText(error), rowidOf()});
            return;
        }
        SetStatusMessage(kAlarmEmailErrorKey, QStringLiteral("delete"));
        mailed = Now();
    }
    if (stored && Write(pass, save, {mailed, rowidOf()}))
        mailed.clear();
}

void WriteRecordFiles(const QString &folder, const SensorPass &s, const RecordMoment &now)
{
    const AlarmFacts &f = s.facts;
    // A limit the sensor row does not hold is written as 0, never borrowed.
    SaveSensorDatToFile(folder, s.sensorId, f.sensorName, f.serverName, f.unitText,
                        f.upperLimit.value_or(0), f.lowerLimit.value_or(0));
    AppendAverageRecord(folder, s.sensorId, s.reading, now);
    AppendInstantRecord(folder, s.sensorId, s.reading, now);
}

void SetGridCell(int row, int column, const QString &text)
{
    StatusGridView *grid = InstalledStatusGrid();
    if (grid && row > 0)
        grid->SetCell(row, column, text);
}

// Every server's sensor rows: read once per cycle (again after a failed read), and at
// each call outside a cycle.
std::optional<QHash<qint32, QList<ServerSensor>>> AllSensors(QString &error)
{
    const DatabaseState &database = DatabaseModule();
    const bool sameCycle = database.inCycle && g_state.sensorsCycle == database.cycle;
    if (sameCycle && g_state.cycleSensors)
        return g_state.cycleSensors;
    QHash<qint32, QList<ServerSensor>> all;
    if (!OpenAllServerSensors(all, error))
        return std::nullopt;
    g_state.cycleSensors = all;
    g_state.sensorsCycle = database.cycle;
    return all;
}

// The server's named sensors; when the database cannot say, those it said last time, since
// the record files and the grid need no database.
std::optional<QList<ServerSensor>> ServerSensors(qint32 serverId, ServerPass &pass)
{
    QString error;
    if (const auto all = AllSensors(error)) {
        const QList<ServerSensor> sensors = all->value(serverId);
        if (sensors.isEmpty())
            g_state.knownSensors.remove(serverId);
        else
            g_state.knownSensors.insert(serverId, sensors);
        return sensors;
    }
    RecordSystemError(kErrorLabel, error);
    pass.failed = true;
    const auto known = g_state.knownSensors.constFind(serverId);
    if (known == g_state.knownSensors.constEnd())
        return std::nullopt;
    return *known;
}

// The sensor's open rows, oldest first, out of the server's open or active rows.
Recordset OpenRowsOf(const Recordset &alarms, qint32 sensorId)
{
    Recordset open;
    for (const QSqlRecord &row : alarms)
        if (row.value(QStringLiteral("SensorIDNum")).toInt() == sensorId &&
            row.value(QStringLiteral("AlarmEnd")).isNull())
            open.append(row);
    return open;
}

bool HasActiveRow(const Recordset &alarms, qint32 sensorId)
{
    return std::any_of(alarms.cbegin(), alarms.cend(), [sensorId](const QSqlRecord &row) {
        return row.value(QStringLiteral("SensorIDNum")).toInt() == sensorId &&
               row.value(QStringLiteral("AlarmActive")).toInt() != 0;
    });
}

} // namespace

void ResetAlarmEvaluationState()
{
    g_state = AlarmEvaluationState{};
}

bool CompareToEmailLimits(qint32 serverId, const QString &serverModel, const QString &serverName,
                          const QString &emailAddresses)
{
    ServerPass pass;
    const std::optional<QList<ServerSensor>> sensors = ServerSensors(serverId, pass);
    if (!sensors)
        return false;
    if (sensors->isEmpty())
        return true;
    if (Recordset alarms; RecordServerAlarms(serverId, alarms))
        pass.alarms = alarms;
    else
        pass.failed = true;
    const ReplyDecodingState &decoded = Decoded();
    const QString logFolder = Polling().LogDirectory.trimmed();
    // The readings of one reply share one moment (and one look at the time zone and one
    // date text).
    const RecordMoment now;

    for (const ServerSensor &sensor : *sensors) {
        SensorPass s;
        s.serverId = serverId;
        s.sensorId = sensor.id;
        const int port = sensor.port;
        if (port < 0 || port > 9) {
            // Another port's reading must never be shown or judged as this sensor's.
            RecordSystemError(
                kErrorLabel,
                QStringLiteral("Sensor %1 has port %2, outside 0 to 9.").arg(s.sensorId).arg(port));
            continue;
        }
        AlarmFacts &f = s.facts;
        f.sensorName = sensor.name;
        f.sensorNotes = sensor.notes;
        f.sensorType = sensor.type;
        f.upperLimit = sensor.upperLimit;
        f.lowerLimit = sensor.lowerLimit;
        f.serverName = serverName;

        StatusGridView *grid = InstalledStatusGrid();
        const QString idText = QString::number(s.sensorId);
        const int gridRow = grid ? grid->RowOfSensor(idText) : -1;
        SetGridCell(gridRow, StatusColumn::Device, f.serverName);
        SetGridCell(gridRow, StatusColumn::Sensor, f.sensorName);
        SetGridCell(gridRow, StatusColumn::SensorID, idText);

        f.unitText = SensorUnitText(serverModel, port, decoded.UnitLetter);
        SetGridCell(gridRow, StatusColumn::Units, f.unitText);
        s.emailAddresses = emailAddresses;

        s.reading = decoded.ChannelReadings[3 * port];
        f.minutes = qint32(decoded.ChannelReadings[3 * port + 1]);
        s.stateCode = int(decoded.ChannelReadings[3 * port + 2]);

        const bool logged = FormatSensorReading(s.reading, f.sensorType, f.readingText);
        // A door, contact or water reading other than 0 or 1 is left untold: the number.
        if (f.readingText.isEmpty())
            f.readingText = ReadingNumberText(double(s.reading));
        if (logged) {
            WriteRecordFiles(ProgramFolder(), s, now);
            if (!logFolder.isEmpty()) {
                WriteRecordFiles(logFolder, s, now);
                CheckLogFolder(logFolder, pass);
            }
        }
        SetGridCell(gridRow, StatusColumn::Reading, f.readingText);

        bool active = false;
        if (pass.alarms) {
            qint32 count = 0;
            if (RunAlarmStateMachine(s, OpenRowsOf(*pass.alarms, s.sensorId), pass))
                active = RecordActiveAlarms(s.sensorId, count) && count > 0;
            else
                active = HasActiveRow(*pass.alarms, s.sensorId);
        } else {
            // Unknown alarm rows: the status follows the device's own verdict.
            active = s.reading != kNoDataReading && IsAlarmReading(s);
        }
        const SensorStatus status = StatusOfSensor(active, s.stateCode, s.reading);
        SetGridCell(gridRow, StatusColumn::Status, status.text);
        if (grid && gridRow > 0)
            grid->SetCellBackColour(gridRow, StatusColumn::Status, status.colour);
    }
    return !pass.failed;
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
