#include "ModuleLink.h"

#include "EventWait.h"
#include "ModuleSetupProtocol.h"
#include "Prompt.h"

#include <QProgressBar>
#include <QTimer>

namespace discovery {

namespace {

constexpr int kTickMs = 100;
// One byte past the longest setup record: enough to tell a longer one, and all that is
// taken of a peer that sends without end.
constexpr int kTcpReplyLimit = kSetupRecordMaximum + 1;

// Precise: a coarse timer may fire up to 5 % early, and a module that keeps to its time
// would be given up on.
QTimer *NamedTimer(QObject *parent, const char *name)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

} // namespace

ModuleLink::ModuleLink(NetworkSettings settings, QProgressBar *progressBar, QObject *form)
    : QObject(form), m_settings(std::move(settings)), m_progressBar(progressBar),
      m_tmrTenth(NamedTimer(form, "tmrTenth")), m_tmrWatchDog(NamedTimer(form, "tmrWatchDog"))
{
    m_tmrTenth->setSingleShot(true);
    // Restarted at each tick, so ticks are at least 100 ms apart however late they run.
    connect(m_tmrTenth, &QTimer::timeout, this, [this] {
        m_tmrTenth->start(kTickMs);
        ++m_tenthTicks;
    });
    connect(m_tmrWatchDog, &QTimer::timeout, this, [this] { m_watchDogFired = true; });
    connect(&m_winsock, &Winsock::DatagramArrival, this, &ModuleLink::OnDatagram);
    connect(&m_winsock, &Winsock::DataArrival, this, &ModuleLink::OnTcpData);
}

void ModuleLink::ClearReplies()
{
    m_replies.clear();
    m_tcpReplyOpen = false;
    ExpectedBytes = 0;
}

void ModuleLink::CloseSocket()
{
    m_winsock.Close();
    m_tcpReplyOpen = false;
}

bool ModuleLink::OpenUdpBroadcast()
{
    // A fresh socket for each use; it is bound when the call returns, so the pause after
    // the switch is never repeated.
    const bool open = m_winsock.SetProtocol(Winsock::Protocol::Udp);
    m_winsock.SetRemote(m_settings.broadcastAddress, m_settings.modulePort);
    return WaitMs(Wait().udpSwitchWait) && open;
}

void ModuleLink::SwitchToTcp()
{
    m_winsock.SetProtocol(Winsock::Protocol::Tcp);
}

bool ModuleLink::TcpConnect(const QString &address, quint16 port)
{
    if (TcpConnectQuietly(address, port))
        return true;
    // Running out of time is no failure of the socket's, and has no description.
    const QString failure = m_winsock.ConnectError();
    if (m_running && !failure.isEmpty())
        Prompt::Show(failure);
    return false;
}

bool ModuleLink::TcpConnectQuietly(const QString &address, quint16 port)
{
    if (m_winsock.Connected())
        return true;
    m_winsock.Connect(address, port);
    StartWatchDog(Wait().connectLimit);
    while (!m_winsock.Connected() && m_winsock.ConnectError().isEmpty() && !m_watchDogFired) {
        YieldToEventLoop();
        if (!m_running)
            return false;
    }
    StopWatchDog();
    return m_winsock.Connected();
}

bool ModuleLink::SendSocket(const QByteArray &data)
{
    return m_winsock.SendData(data);
}

QByteArray ModuleLink::ReadSocket()
{
    return m_winsock.GetData();
}

bool ModuleLink::WaitMs(milliseconds ms)
{
    SetProgressRange(int(ms.count() / kTickMs));
    StartTenthTimer();
    StartWatchDog(ms);
    while (!m_watchDogFired && m_running) {
        YieldToEventLoop();
        ShowProgress();
    }
    StopWatchDog();
    StopTenthTimer();
    ResetProgress();
    return m_running;
}

void ModuleLink::StartWatchDog(milliseconds ms)
{
    m_tmrWatchDog->stop();
    m_watchDogFired = false;
    m_tmrWatchDog->start(ms);
}

void ModuleLink::StopWatchDog()
{
    m_tmrWatchDog->stop();
    m_watchDogFired = false;
}

void ModuleLink::StartTenthTimer()
{
    m_tmrTenth->start(kTickMs);
}

void ModuleLink::StopTenthTimer()
{
    m_tmrTenth->stop();
}

void ModuleLink::SetProgressRange(int maximum)
{
    m_tenthTicks = 0;
    m_progressBar->setRange(0, maximum);
}

void ModuleLink::ShowProgress()
{
    m_progressBar->setValue(qMin(m_tenthTicks, m_progressBar->maximum()));
}

void ModuleLink::ResetProgress()
{
    m_progressBar->setValue(0);
}

void ModuleLink::OnDatagram(const QByteArray &data, const QString &sender)
{
    if (ExpectedBytes == 0)
        Store(data, sender);
}

void ModuleLink::OnTcpData(qint64 bytesTotal)
{
    if (ExpectedBytes != 0) {
        // The data stays on the socket until the waiting reader takes it whole. More than
        // that never completes, so the rest is not taken in.
        if (bytesTotal == ExpectedBytes)
            ReplyComplete = true;
        else if (bytesTotal > ExpectedBytes)
            CloseSocket();
        return;
    }
    const QByteArray data = m_winsock.GetData();
    if (!m_tcpReplyOpen) {
        m_tcpReplyOpen = true;
        Store({}, QString());
    }
    QByteArray &reply = m_replies.last().data;
    reply += data.left(kTcpReplyLimit - reply.size());
    if (reply.size() >= kTcpReplyLimit)
        CloseSocket();
}

void ModuleLink::Store(const QByteArray &data, const QString &sender)
{
    if (m_replies.size() < kMaxReplies)
        m_replies.append({data, sender});
}

} // namespace discovery
