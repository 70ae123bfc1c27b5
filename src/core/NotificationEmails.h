#pragma once

#include <QString>
#include <QtGlobal>

// The station's e-mails. Error texts are written only on the paths that say so; callers
// pass them in empty.

// A sensor's alarm (prefix empty) or its reminder (prefix "REMINDER") to the server's
// recipients; true when sent.
bool SendAlarmEmail(qint32 serverId, const QString &sensorName, const QString &messageText,
                    QString &errorText, const QString &prefix);
// A sensor back within limits, to the server's recipients; true when sent.
bool SendAlarmClearedEmail(qint32 serverId, const QString &sensorName, const QString &messageText,
                           QString &errorText);
// Keeps the server's row of tblServerFailures for a cycle in which every attempt failed:
// the first such cycle opens it, the second reports it to the administrator. False with
// the database's error when the table could not be read or written; the caller records it.
bool ReportServerNoResponse(qint32 serverId, qint16 attempts, QString &error);
// To the administrator, once a close of the main window has been accepted.
void SendShutdownEmail();
// The daily "up and running" e-mail; true once it was attempted, sent or not.
bool SendSytemOKEmail();
// A free text to the administrator; true when sent.
bool SendTextEmail(const QString &messageText, QString &errorText);
// The test message to the given recipients; true when sent.
bool SendTestEmail(const QString &recipients, QString &errorText);
