#pragma once

#include <QString>
#include <QtGlobal>

class QTimer;

// The flags the poll clock, activation and the polling cycle share.
struct PollingState {
    bool InInterrupt = false;  // a cycle started by the poll clock or "Refresh" runs
    bool FirstCycle = false;   // the trend chart is set up after the next cycle
    bool TrendingLive = false; // trend points are added after each cycle
    QString LogDirectory;      // second copy of the record files when not blank
};

PollingState &Polling();
void ResetPollingState();

// The main window's poll clock, tmrInterupt; the window installs it at load.
void InstallPollTimer(QTimer *timer);
void StartPolling();
void StopPolling();

// One cycle over every enabled server: identify, read, record, judge, report.
void LogRoutine();
// Attempts per server and cycle: the setting when it lies in 1 to 5, else 3.
int RetryLimit(qint16 communicationRetry);
