#include "ServerDatabase.h"

#include "Clock.h"
#include "GeneralDate.h"
#include "Prompt.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlRecord>

#include <cfloat>
#include <cmath>
#include <optional>
#include <utility>

namespace {

ServerDatabaseState g_state;

QString Now()
{
    return GeneralDateText(Clock::Now());
}

// A null QString binds as SQL NULL; the stored texts are never NULL, an empty entry is "".
QVariant Text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

// The panels hand over limits and minutes as the texts they show. SQLite would keep a
// text that is not a number as text, so it is refused here; an empty text stores no value.
// Only a decimal point is taken, no thousands separator: "1,500" is refused, not 1500.
std::optional<QVariant> NumberValue(const QString &what, const QString &text, bool whole,
                                    QString &error)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QVariant();
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    QVariant value;
    if (whole) {
        value = c.toInt(trimmed, &ok);
    } else {
        const double number = c.toDouble(trimmed, &ok);
        ok = ok && std::isfinite(number) && std::fabs(number) <= FLT_MAX;
        value = number;
    }
    if (!ok) {
        error = what + QStringLiteral(" \"") + text +
                (whole ? QStringLiteral("\" is not a whole number.")
                       : QStringLiteral("\" is not a number."));
        return std::nullopt;
    }
    return value;
}

// The failure path of the operations that hand rows to the polling and alarm code.
bool RecordedFailure(const QString &label, const QString &error, qint32 &count)
{
    count = 0;
    RecordSystemError(label, error);
    return false;
}

bool HandOutRows(DatabaseConnection &db, const QString &label, const QString &sql,
                 const Bindings &bindings, Recordset &rs, qint32 &count)
{
    const auto rows = db.Select(sql, bindings);
    if (!rows)
        return RecordedFailure(label, db.LastError(), count);
    rs = *rows;
    count = qint32(rows->size());
    return true;
}

// Rows kept with the file's version they were read at: a polling cycle asks each time for
// rows that change only when somebody edits them.
template <typename Rows> struct KeptRead {
    std::optional<DatabaseVersion> version;
    Rows rows;
};

// The kept rows, read again only when the file changed since.
template <typename Rows, typename Read>
bool ReadUnlessUnchanged(DatabaseConnection &db, KeptRead<Rows> &kept, Read read)
{
    const std::optional<DatabaseVersion> version = db.Version();
    if (!version)
        return false;
    if (kept.version == version)
        return true;
    std::optional<Rows> rows = read();
    if (!rows)
        return false;
    kept = {version, std::move(*rows)};
    return true;
}

QString FixedName(const QString &name)
{
    return name.leftJustified(20, QLatin1Char(' '), true);
}

} // namespace

ServerDatabaseState &ServerDatabaseModule()
{
    return g_state;
}

bool UpgradeDatabaseSchema()
{
    if (g_state.schemaUpgraded)
        return true;
    struct AddedColumn {
        QString table, column, type;
    };
    const AddedColumn added[] = {
        {QStringLiteral("tblAlarms"), QStringLiteral("Resolution"), QStringLiteral("TEXT")},
        {QStringLiteral("tblSensors"), QStringLiteral("UpperLimit"), QStringLiteral("REAL")},
        {QStringLiteral("tblSensors"), QStringLiteral("LowerLimit"), QStringLiteral("REAL")},
        {QStringLiteral("tblSensors"), QStringLiteral("TOL"), QStringLiteral("INTEGER")},
    };
    {
        DatabaseConnection db;
        for (const AddedColumn &c : added) {
            // A missing file or table makes both steps fail; that is left as it is.
            if (!db.SchemaNames(c.table, {c.column}))
                (void)db.Exec(QStringLiteral("ALTER TABLE ") + c.table +
                              QStringLiteral(" ADD COLUMN ") + c.column + QLatin1Char(' ') +
                              c.type);
        }
    }
    g_state.schemaUpgraded = true;
    return true;
}

bool RecordSystemError(const QString &label, const QString &cause)
{
    DatabaseConnection db;
    if (db.Exec(
            QStringLiteral("INSERT INTO tblErrors (myTime, myFunction, Cause) VALUES (?, ?, ?)"),
            {Now(), Text(label), Text(cause)}))
        return true;
    // With the log itself out of reach, the operator still learns why.
    ShowDatabaseError(db.LastError());
    return false;
}

// ---- Servers ----

bool RecordServers(Recordset &rs, qint32 &count)
{
    static KeptRead<Recordset> kept;
    DatabaseConnection db;
    if (!ReadUnlessUnchanged(db, kept, [&db] {
            return db.Select(QStringLiteral(
                "SELECT * FROM tblServers ORDER BY ServerName COLLATE NOCASE ASC, IDNum"));
        }))
        return RecordedFailure(QStringLiteral("RecordServers()"), db.LastError(), count);
    rs = kept.rows;
    count = qint32(rs.size());
    return true;
}

bool OpenServerRecord(qint32 id, Recordset &rs)
{
    DatabaseConnection db;
    const auto rows = db.Select(QStringLiteral("SELECT * FROM tblServers WHERE IDNum = ?"), {id});
    if (!rows || rows->isEmpty())
        return false;
    rs = *rows;
    return true;
}

bool GetServerField(qint32 id, const QString &table, const QString &field, QVariant &value)
{
    DatabaseConnection db;
    const auto names = db.SchemaNames(table, {field});
    if (!names)
        return false;
    const auto rows =
        db.Select(QStringLiteral("SELECT ") + names->at(1) + QStringLiteral(" FROM ") +
                      names->at(0) + QStringLiteral(" WHERE IDNum = ?"),
                  {id});
    if (!rows || rows->isEmpty())
        return false;
    value = rows->first().value(0);
    return true;
}

namespace {

// The rows holding this address, oldest first.
std::optional<Recordset> ServersWithAddress(DatabaseConnection &db, const QString &ip)
{
    return db.Select(
        QStringLiteral("SELECT * FROM tblServers WHERE ServerIPAddress = ? ORDER BY IDNum"),
        {Text(ip)});
}

} // namespace

bool VerifyUniqueIPAddress(const QString &ip, QString &name)
{
    DatabaseConnection db;
    const auto rows = ServersWithAddress(db, ip);
    if (!rows) {
        Prompt::Show(QStringLiteral("Error verifying that the IP address ") + ip +
                     QStringLiteral(" is unique.  The error is:  ") + db.LastError());
        return false;
    }
    if (rows->isEmpty())
        return true;
    name = rows->first().value(QStringLiteral("ServerName")).toString();
    return false;
}

bool AddServer(const QString &name, const QString &model, const QString &ip, const QString &notes,
               qint16 enabled, const QString &password, const QString &email, qint16 comm)
{
    Recordset servers;
    qint32 count = 0;
    RecordServers(servers, count);

    DatabaseConnection db;
    if (count != 0) {
        const auto holders = ServersWithAddress(db, ip);
        if (!holders) {
            Prompt::Show(QStringLiteral("Error adding server, the error is ") + db.LastError());
            return false;
        }
        if (!holders->isEmpty()) {
            Prompt::Show(QStringLiteral("The IP address for this server is not unique.  "
                                        "Please verify the desired IP address."));
            return false;
        }
    }
    if (!db.Exec(QStringLiteral("INSERT INTO tblServers (ServerName, ServerModel, ServerIPAddress,"
                                " ServerNotes, Enabled, UserPassword, EmailAddress, Comm)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                 {Text(name), Text(model), Text(ip), Text(notes), int(enabled), Text(password),
                  Text(email), int(comm)})) {
        Prompt::Show(QStringLiteral("Error adding server, the error is ") + db.LastError());
        return false;
    }
    return true;
}

bool UpdateServer(qint32 id, const QString &name, const QString &model, const QString &ip,
                  const QString &notes, qint16 enabled, const QString &password,
                  const QString &email, qint16 comm)
{
    DatabaseConnection db;
    if (!db.Exec(QStringLiteral("UPDATE tblServers SET ServerName = ?, ServerModel = ?,"
                                " ServerIPAddress = ?, ServerNotes = ?, Enabled = ?,"
                                " UserPassword = ?, EmailAddress = ?, Comm = ? WHERE IDNum = ?"),
                 {Text(name), Text(model), Text(ip), Text(notes), int(enabled), Text(password),
                  Text(email), int(comm), id})) {
        Prompt::Show(QStringLiteral("Error in UpdateServer is ") + db.LastError());
        return false;
    }
    return true;
}

bool UpdateServerEmail(qint32 id, const QString &addresses)
{
    DatabaseConnection db;
    if (!db.Exec(QStringLiteral("UPDATE tblServers SET EmailAddress = ? WHERE IDNum = ?"),
                 {Text(addresses), id})) {
        Prompt::Show(QStringLiteral("Error updating email addresses.  The error is: ") +
                     db.LastError());
        return false;
    }
    return true;
}

bool EnableDisableServer(qint32 id, qint16 enabled, qint16 comm)
{
    DatabaseConnection db;
    if (!db.Exec(QStringLiteral("UPDATE tblServers SET Enabled = ?, Comm = ? WHERE IDNum = ?"),
                 {int(enabled), int(comm), id})) {
        Prompt::Show(QStringLiteral("Error in EnableDisableServer is ") + db.LastError());
        return false;
    }
    return true;
}

bool DeleteServerRecords(qint32 id, QString &error)
{
    DatabaseConnection db;
    // A server row left without its sensors, or sensors without their server, would be
    // polled or listed half-gone; one transaction keeps the two tables whole.
    DatabaseTransaction transaction(db);
    const bool deleted =
        transaction.IsOpen() &&
        db.Exec(QStringLiteral("DELETE FROM tblSensors WHERE ServerIDNum = ?"), {id}) &&
        db.Exec(QStringLiteral("DELETE FROM tblServers WHERE IDNum = ?"), {id}) &&
        transaction.Commit();
    if (!deleted)
        error = db.LastError();
    return deleted;
}

bool LoadServers(QList<ServerTreeEntry> &nodes)
{
    Recordset rs;
    qint32 count = 0;
    RecordServers(rs, count);

    nodes.clear();
    nodes.append({QStringLiteral("MainNode"), QStringLiteral("Available Zarvo Devices"), 1});
    // A row with an empty (NULL) name or address is listed blank rather than ending the
    // list, so the operator can still reach it and every server after it.
    for (const QSqlRecord &row : std::as_const(rs)) {
        const QString name = row.value(QStringLiteral("ServerName")).toString();
        const QString ip = row.value(QStringLiteral("ServerIPAddress")).toString();
        const bool comm = row.value(QStringLiteral("Comm")).toInt() == -1;
        nodes.append({QStringLiteral("SERVER") + row.value(QStringLiteral("IDNum")).toString(),
                      FixedName(name) + QStringLiteral(" @ IP ") + ip, comm ? 1 : 2});
    }
    return count != 0;
}

// ---- Sensors ----

namespace {

struct SensorValues {
    QVariant upper, lower, minutes;
};

std::optional<SensorValues> ValuesOf(const SensorRecord &row, QString &error)
{
    const auto upper = NumberValue(QStringLiteral("Upper limit"), row.upperLimit, false, error);
    if (!upper)
        return std::nullopt;
    const auto lower = NumberValue(QStringLiteral("Lower limit"), row.lowerLimit, false, error);
    if (!lower)
        return std::nullopt;
    const auto minutes = NumberValue(QStringLiteral("Time out of limits"), row.tol, true, error);
    if (!minutes)
        return std::nullopt;
    return SensorValues{*upper, *lower, *minutes};
}

bool WriteSensorRow(DatabaseConnection &db, qint32 serverId, const SensorRecord &row,
                    const SensorValues &values)
{
    const auto existing = db.Select(
        QStringLiteral("SELECT COUNT(*) FROM tblSensors WHERE ServerIDNum = ? AND PortNum = ?"),
        {serverId, int(row.port)});
    if (!existing)
        return false;
    return existing->first().value(0).toInt() != 0
               ? db.Exec(QStringLiteral("UPDATE tblSensors SET SensorName = ?, SensorNotes = ?,"
                                        " SensorType = ?, UpperLimit = ?, LowerLimit = ?, TOL = ?"
                                        " WHERE ServerIDNum = ? AND PortNum = ?"),
                         {Text(row.name), Text(row.notes), Text(row.sensorType), values.upper,
                          values.lower, values.minutes, serverId, int(row.port)})
               : db.Exec(QStringLiteral("INSERT INTO tblSensors (ServerIDNum, SensorName, PortNum,"
                                        " SensorNotes, SensorType, UpperLimit, LowerLimit, TOL)"
                                        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                         {serverId, Text(row.name), int(row.port), Text(row.notes),
                          Text(row.sensorType), values.upper, values.lower, values.minutes});
}

} // namespace

QString SensorRecordError(const SensorRecord &row)
{
    QString error;
    ValuesOf(row, error);
    return error;
}

bool SaveSensorRecord(qint32 serverId, const QString &name, qint16 port, const QString &notes,
                      const QString &sensorType, const QString &upperLimit,
                      const QString &lowerLimit, const QString &tol)
{
    return SaveSensorRecords(serverId,
                             {{name, port, notes, sensorType, upperLimit, lowerLimit, tol}});
}

bool SaveSensorRecords(qint32 serverId, const QList<SensorRecord> &rows)
{
    qint16 port = 0;
    QString error;
    const auto fail = [&port, &error] {
        Prompt::Show(QStringLiteral("Error saving sensor record for port ") +
                     QString::number(port) + QStringLiteral(", the error is ") + error);
        return false;
    };
    // Every row is checked before the first is written, and the message waits until the
    // transaction is over: no lock is held while the operator reads it.
    QList<SensorValues> values;
    for (const SensorRecord &row : rows) {
        port = row.port;
        const auto checked = ValuesOf(row, error);
        if (!checked)
            return fail();
        values.append(*checked);
    }
    {
        DatabaseConnection db;
        DatabaseTransaction transaction(db);
        bool written = transaction.IsOpen();
        for (qsizetype i = 0; written && i < rows.size(); ++i) {
            port = rows.at(i).port;
            written = WriteSensorRow(db, serverId, rows.at(i), values.at(i));
        }
        if (written && transaction.Commit())
            return true;
        error = db.LastError();
    }
    return fail();
}

bool LoadSensorNotes(qint32 serverId, qint16 port, QString &notes)
{
    DatabaseConnection db;
    const auto rows =
        db.Select(QStringLiteral("SELECT SensorNotes FROM tblSensors"
                                 " WHERE ServerIDNum = ? AND PortNum = ? ORDER BY IDNum"),
                  {serverId, int(port)});
    if (!rows) {
        Prompt::Show(QStringLiteral("Error loading sensor notes for port ") +
                     QString::number(port) + QStringLiteral(", the error is ") + db.LastError());
        return false;
    }
    // Notes never written (NULL) read as no notes.
    notes = rows->isEmpty() ? QStringLiteral("") : rows->first().value(0).toString();
    return true;
}

bool CountNamedSensors(qint16 &count)
{
    DatabaseConnection db;
    const auto rows =
        db.Select(QStringLiteral("SELECT COUNT(*) FROM tblSensors WHERE length(SensorName) <> 0"));
    count = rows ? qint16(rows->first().value(0).toInt()) : 0;
    return count != 0;
}

namespace {

std::optional<float> LimitAt(const DatabaseRow &row, int column)
{
    const QVariant value = row.Value(column);
    bool ok = false;
    const float number = value.toFloat(&ok);
    if (value.isNull() || !ok)
        return std::nullopt;
    return number;
}

} // namespace

bool OpenAllServerSensors(QHash<qint32, QList<ServerSensor>> &sensors, QString &error)
{
    enum Column {
        ServerIDNum,
        IDNum,
        PortNum,
        SensorName,
        SensorNotes,
        SensorType,
        UpperLimit,
        LowerLimit
    };
    static const QStringList kNames = {QStringLiteral("ServerIDNum"), QStringLiteral("IDNum"),
                                       QStringLiteral("PortNum"),     QStringLiteral("SensorName"),
                                       QStringLiteral("SensorNotes"), QStringLiteral("SensorType"),
                                       QStringLiteral("UpperLimit"),  QStringLiteral("LowerLimit")};
    static KeptRead<QHash<qint32, QList<ServerSensor>>> kept;
    DatabaseConnection db;
    const auto read = [&db]() -> std::optional<QHash<qint32, QList<ServerSensor>>> {
        QHash<qint32, QList<ServerSensor>> rows;
        QList<int> at; // each column's position, found at the first row: the file may be older
        if (!db.SelectEach(QStringLiteral("SELECT * FROM tblSensors WHERE length(SensorName) <> 0"
                                          " ORDER BY ServerIDNum, PortNum, IDNum"),
                           {}, [&](const DatabaseRow &row) {
                               if (at.isEmpty())
                                   for (const QString &name : kNames)
                                       at << row.IndexOf(name);
                               rows[row.Value(at[ServerIDNum]).toInt()].append(
                                   {row.Value(at[IDNum]).toInt(), row.Value(at[PortNum]).toInt(),
                                    row.Value(at[SensorName]).toString(),
                                    row.Value(at[SensorNotes]).toString(),
                                    row.Value(at[SensorType]).toString(),
                                    LimitAt(row, at[UpperLimit]), LimitAt(row, at[LowerLimit])});
                           }))
            return std::nullopt;
        return rows;
    };
    if (!ReadUnlessUnchanged(db, kept, read)) {
        error = db.LastError();
        return false;
    }
    sensors = kept.rows;
    return true;
}

// ---- Alarms, failures, errors and log-folder backups ----

bool AddAlarmRecord(qint32 sensorId, const QString &alarmStart, const QString &server,
                    const QString &sensor, const QString &currentData, qint32 tol,
                    qint16 alarmActive)
{
    DatabaseConnection db;
    if (!db.Exec(QStringLiteral("INSERT INTO tblAlarms (SensorIDNum, AlarmStart, AlarmActive,"
                                " Server, Sensor, CurrentData, TOL) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {sensorId, Text(alarmStart), int(alarmActive), Text(server), Text(sensor),
                  Text(currentData), tol})) {
        RecordSystemError(QStringLiteral("Error adding alarm record to tblAlarms"), db.LastError());
        return false;
    }
    return true;
}

bool RecordOpenAlarms(const QString &table, const QString &field, qint32 value,
                      const QString &nullField, Recordset &rs, qint32 &count)
{
    const QString label = QStringLiteral("Error RecordOpenAlarms");
    DatabaseConnection db;
    const auto names = db.SchemaNames(table, {field, nullField});
    if (!names)
        return RecordedFailure(label, db.LastError(), count);
    return HandOutRows(db, label,
                       QStringLiteral("SELECT * FROM ") + names->at(0) + QStringLiteral(" WHERE ") +
                           names->at(1) + QStringLiteral(" = ? AND ") + names->at(2) +
                           QStringLiteral(" IS NULL ORDER BY rowid"),
                       {value}, rs, count);
}

bool RecordActiveAlarms(qint32 sensorId, qint32 &count)
{
    DatabaseConnection db;
    const auto rows = db.Select(QStringLiteral("SELECT COUNT(*) FROM tblAlarms"
                                               " WHERE SensorIDNum = ? AND AlarmActive <> 0"),
                                {sensorId});
    if (!rows)
        return RecordedFailure(QStringLiteral("RecordActiveAlarms"), db.LastError(), count);
    count = rows->first().value(0).toInt();
    return true;
}

bool RecordServerAlarms(qint32 serverId, Recordset &rs)
{
    qint32 count = 0;
    DatabaseConnection db;
    return HandOutRows(db, QStringLiteral("Error RecordOpenAlarms"),
                       QStringLiteral("SELECT * FROM tblAlarms WHERE SensorIDNum IN"
                                      " (SELECT IDNum FROM tblSensors WHERE ServerIDNum = ?)"
                                      " AND (AlarmEnd IS NULL OR AlarmActive <> 0) ORDER BY rowid"),
                       {serverId}, rs, count);
}

bool AddLogFileBackupError(const QString &errorText)
{
    DatabaseConnection db;
    if (!db.Exec(QStringLiteral("INSERT INTO tblLogFileBackup (FirstError, BackOnLine, EmailSent,"
                                " Error) VALUES (?, 'False', 'False', ?)"),
                 {Now(), Text(errorText)})) {
        RecordSystemError(QStringLiteral("Error adding alarm record to tblLogFileBackup"),
                          db.LastError());
        return false;
    }
    return true;
}

bool RecordOpenBackupFileErrors(Recordset &rs, qint32 &count)
{
    DatabaseConnection db;
    return HandOutRows(db, QStringLiteral("Error RecordOpenBackupFileErrors()"),
                       QStringLiteral("SELECT rowid AS rowid, * FROM tblLogFileBackup"
                                      " WHERE FirstError <> 'False' AND BackOnLine = 'False'"
                                      " ORDER BY rowid"),
                       {}, rs, count);
}

bool MarkServerBackOnline(qint32 serverId, QString &error)
{
    DatabaseConnection db;
    // Only the oldest open row closes; a second one closes when the server answers again.
    if (!db.Exec(QStringLiteral("UPDATE tblServerFailures SET BackOnLine = ? WHERE IDNum ="
                                " (SELECT MIN(IDNum) FROM tblServerFailures"
                                " WHERE ServerIDNum = ? AND BackOnLine = 'False')"),
                 {Now(), serverId})) {
        error = db.LastError();
        return false;
    }
    return true;
}

bool ServersWithOpenFailures(QSet<qint32> &servers)
{
    DatabaseConnection db;
    QSet<qint32> ids;
    if (!db.SelectEach(QStringLiteral("SELECT ServerIDNum FROM tblServerFailures"
                                      " WHERE BackOnLine = 'False'"),
                       {}, [&ids](const DatabaseRow &row) { ids.insert(row.Value(0).toInt()); }))
        return false;
    servers = ids;
    return true;
}

namespace {

bool DeleteAllRows(const QString &table, const QString &label)
{
    DatabaseConnection db;
    if (!db.Exec(QStringLiteral("DELETE FROM ") + table)) {
        RecordSystemError(label, db.LastError());
        return false;
    }
    return true;
}

} // namespace

bool DeleteSystemErrors()
{
    return DeleteAllRows(QStringLiteral("tblErrors"), QStringLiteral("DeleteSystemErrors()"));
}

bool DeleteServerErrors()
{
    return DeleteAllRows(QStringLiteral("tblServerFailures"),
                         QStringLiteral("DeleteServerErrors()"));
}
