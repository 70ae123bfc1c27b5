#pragma once

#include <QString>
#include <QtGlobal>

// One server's pass after a poll: every named sensor's grid row, record files and alarm
// rows with their e-mails. The server's name and recipients come from the cycle's list of
// servers. False after a failure, which is in the error log.
bool CompareToEmailLimits(qint32 serverId, const QString &serverModel, const QString &serverName,
                          const QString &emailAddresses);
// Forgets what the passes carry from cycle to cycle, as at program start.
void ResetAlarmEvaluationState();

// After a cycle: the desktop pop-up when any sensor row of the grid is not normal.
void NotifyAlarm();

// Colours, picture, sound and display time of the desktop pop-up, once at start.
void SetupAlertPopup(const QString &picturePath);
