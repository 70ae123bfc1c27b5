#pragma once

#include "Database.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <optional>

// The record operations on zarvo.mdb, each on the program's one connection; a recordset
// handed out is a copy of the rows.

// Module state, kept for the program run. Tests start each case from a fresh one.
struct ServerDatabaseState {
    // Set by the first upgrade, even a failed one: later activations do not retry.
    bool schemaUpgraded = false;
};
ServerDatabaseState &ServerDatabaseModule();

// Schema and error log.
// Adds the columns older files lack; runs once per program run, ignores every error.
bool UpgradeDatabaseSchema();
bool RecordSystemError(const QString &label, const QString &cause);

// Servers.
struct ServerTreeEntry {
    QString key; // "MainNode" or "SERVER" + IDNum
    QString text;
    int picture = 1; // 1: root or in communication, 2: otherwise
};
// Every server by name; read from the file again only when it changed since.
bool RecordServers(Recordset &rs, qint32 &count);
bool OpenServerRecord(qint32 id, Recordset &rs);
bool GetServerField(qint32 id, const QString &table, const QString &field, QVariant &value);
bool VerifyUniqueIPAddress(const QString &ip, QString &name);
bool AddServer(const QString &name, const QString &model, const QString &ip, const QString &notes,
               qint16 enabled, const QString &password, const QString &email, qint16 comm);
bool UpdateServer(qint32 id, const QString &name, const QString &model, const QString &ip,
                  const QString &notes, qint16 enabled, const QString &password,
                  const QString &email, qint16 comm);
bool UpdateServerEmail(qint32 id, const QString &addresses);
bool EnableDisableServer(qint32 id, qint16 enabled, qint16 comm);
// The server's row and its sensor rows, both or neither; the reason in `error` when neither.
bool DeleteServerRecords(qint32 id, QString &error);
// The root node followed by one node per server in name order; true when a server was listed.
bool LoadServers(QList<ServerTreeEntry> &nodes);

// Sensors.
// One tblSensors row as a panel hands it over: the texts it shows.
struct SensorRecord {
    QString name;
    qint16 port = 0;
    QString notes;
    QString sensorType;
    QString upperLimit;
    QString lowerLimit;
    QString tol;
};
// Why the table refuses the row's limits or minutes; empty when it takes them. The save
// applies this same rule.
QString SensorRecordError(const SensorRecord &row);
bool SaveSensorRecord(qint32 serverId, const QString &name, qint16 port, const QString &notes,
                      const QString &sensorType, const QString &upperLimit,
                      const QString &lowerLimit, const QString &tol);
// A server's rows, all of them or, after a failure, none: one transaction.
bool SaveSensorRecords(qint32 serverId, const QList<SensorRecord> &rows);
bool LoadSensorNotes(qint32 serverId, qint16 port, QString &notes);
bool CountNamedSensors(qint16 &count);
// What a polling cycle reads of a sensor row; a limit the row does not hold is absent.
struct ServerSensor {
    qint32 id = 0;
    int port = 0;
    QString name;
    QString notes;
    QString type;
    std::optional<float> upperLimit;
    std::optional<float> lowerLimit;
};
// The named sensors of every server, each server's in port order, in one query: a polling
// cycle reads them once, and only when the file changed since. False after a failure, with
// the reason in `error`.
bool OpenAllServerSensors(QHash<qint32, QList<ServerSensor>> &sensors, QString &error);

// Alarms, failures, errors and log-folder backups.
bool AddAlarmRecord(qint32 sensorId, const QString &alarmStart, const QString &server,
                    const QString &sensor, const QString &currentData, qint32 tol,
                    qint16 alarmActive);
bool RecordOpenAlarms(const QString &table, const QString &field, qint32 value,
                      const QString &nullField, Recordset &rs, qint32 &count);
bool RecordActiveAlarms(qint32 sensorId, qint32 &count);
// The open or active alarm rows of all of a server's sensors, oldest first: what one
// pass over the server needs of tblAlarms, in one query.
bool RecordServerAlarms(qint32 serverId, Recordset &rs);
bool AddLogFileBackupError(const QString &errorText);
// Rows carry their "rowid": tblLogFileBackup has no key column of its own.
bool RecordOpenBackupFileErrors(Recordset &rs, qint32 &count);
// Leaves the failure to the caller, who records it under its own label.
bool MarkServerBackOnline(qint32 serverId, QString &error);
// The servers with a failure row not yet closed: those MarkServerBackOnline has work for.
bool ServersWithOpenFailures(QSet<qint32> &servers);
bool DeleteSystemErrors();
bool DeleteServerErrors();
