#include "DesktopAlert.h"

namespace {
DesktopAlert *g_alert = nullptr;
}

void InstallDesktopAlert(DesktopAlert *alert)
{
    g_alert = alert;
}

DesktopAlert *InstalledDesktopAlert()
{
    return g_alert;
}
