#include "DeviceLink.h"

#include "StatusBoard.h"

namespace {
DeviceLink *g_link = nullptr;
} // namespace

DeviceLinkState &LinkState()
{
    static DeviceLinkState state;
    return state;
}

void ResetLinkState()
{
    LinkState() = DeviceLinkState();
}

DeviceLink::DeviceLink()
{
    Q_ASSERT(!g_link);
    g_link = this;
    // Coarse timers may fire up to 5 % early; a device's time-out is a promise. The
    // progress clock starts with it: precise too, both fall due in one wake-up.
    m_watchDog.setTimerType(Qt::PreciseTimer);
    m_tenth.setTimerType(Qt::PreciseTimer);
    connect(&m_watchDog, &QTimer::timeout, this, &DeviceLink::tmrWatchDog_Timer);
    connect(&m_tenth, &QTimer::timeout, this, &DeviceLink::tmrTenth_Timer);
    connect(&m_winsock, &SocketControl::DataArrival, this, &DeviceLink::Winsock_DataArrival);
    connect(&m_winsock, &SocketControl::Error, this, &DeviceLink::Winsock_Error);
}

DeviceLink::~DeviceLink()
{
    if (g_link == this)
        g_link = nullptr;
}

DeviceLink *DeviceLink::Instance()
{
    return g_link;
}

void DeviceLink::SetMainForm(TransportMainForm *form)
{
    m_mainForm = form ? form : &m_headlessMain;
}

void DeviceLink::SetTreeForm(TransportTreeForm *form)
{
    m_treeForm = form ? form : &m_headlessTree;
}

TransportForm &DeviceLink::Form(AppForm which)
{
    if (which == AppForm::TreeConfiguration)
        return *m_treeForm;
    return *m_mainForm;
}

void DeviceLink::tmrWatchDog_Timer()
{
    // Keeps firing until the wait is disarmed; the flag stays up meanwhile.
    LinkState().WatchDogFired = true;
}

void DeviceLink::tmrTenth_Timer()
{
    m_tenth.stop();
    m_tenth.setInterval(100);
    m_tenth.start();
    DeviceLinkState &state = LinkState();
    ++state.ProgressTicks;
    // A wait longer than the bar's range leaves the bar full.
    TransportForm &form = Form(state.ActiveForm);
    if (form.ProgressMaximum() > state.ProgressTicks)
        form.SetProgressValue(state.ProgressTicks);
}

void DeviceLink::Winsock_DataArrival(qint64 bytesTotal)
{
    // The waiting exchange reads the data; here it is only announced.
    LinkState().DataArrived = true;
    LinkState().BytesReceived = qint32(bytesTotal);
}

void DeviceLink::Winsock_Error(int number, const QString &description)
{
    SetStatusMessage(QStringLiteral("Communication Error"),
                     QStringLiteral("Error Number: ") + QString::number(number) +
                         QStringLiteral(".  Description ") + description);
}
