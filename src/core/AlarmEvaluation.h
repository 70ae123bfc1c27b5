#pragma once

#include <QString>
#include <QtGlobal>

// One server's pass after a poll: every named sensor's grid row, record files and alarm
// rows with their e-mails. False after a failure, which is in the error log.
bool CompareToEmailLimits(qint32 serverId, const QString &serverModel);

// After a cycle: the desktop pop-up when any sensor row of the grid is not normal.
void NotifyAlarm();

// Colours, picture, sound and display time of the desktop pop-up, once at start.
void SetupAlertPopup(const QString &picturePath);
