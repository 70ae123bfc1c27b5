#include "Polling.h"

#include <QTimer>

namespace {
PollingState g_state;
QTimer *g_pollTimer = nullptr;
constexpr int kPollTickMs = 5000;
} // namespace

PollingState &Polling()
{
    return g_state;
}

void ResetPollingState()
{
    g_state = PollingState{};
}

void InstallPollTimer(QTimer *timer)
{
    g_pollTimer = timer;
}

void StartPolling()
{
    if (!g_pollTimer)
        return;
    g_pollTimer->setInterval(kPollTickMs);
    g_pollTimer->start();
}

void StopPolling()
{
    // An interval of 0 would fire on every loop pass: stopping is the only "off".
    if (g_pollTimer)
        g_pollTimer->stop();
}

void LogRoutine()
{
}
