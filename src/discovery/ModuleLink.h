#pragma once

#include "NetworkSettings.h"
#include "Winsock.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QProgressBar;
class QTimer;

namespace discovery {

// What arrived while the store was open, with the sender's address.
struct Reply {
    QByteArray data;
    QString address;
};

// The one socket, the store of arrivals and the timed waits over which every operation
// talks to the modules and devices. Waits sleep on the event loop and drive the progress
// bar; each gives up once Running turns false (the window closed).
class ModuleLink : public QObject {
    Q_OBJECT

public:
    // Timers are made children of `form`, where they are its controls.
    ModuleLink(NetworkSettings settings, QProgressBar *progressBar, QObject *form);

    const NetworkSettings &Settings() const { return m_settings; }
    const Durations &Wait() const { return m_settings.durations; }

    bool Running() const { return m_running; }
    void SetRunning(bool running) { m_running = running; }

    // The store keeps at most this many arrivals; later ones are dropped.
    static constexpr int kMaxReplies = 101;
    const QList<Reply> &Replies() const { return m_replies; }
    int ReplyCount() const { return int(m_replies.size()) - 1; } // -1: none
    void ClearReplies();

    // 0: store every arrival; above 0: wait for exactly that many bytes on TCP.
    int ExpectedBytes = 0;
    bool ReplyComplete = false;

    void CloseSocket();
    // The socket set to UDP towards the broadcast address and the modules' port.
    bool OpenUdpBroadcast();
    void SwitchToTcp();
    // False at once when the window closes; false without a connection within the limit.
    // A failure the socket reports is shown with its description.
    bool TcpConnect(const QString &address, quint16 port);
    // The same without a word, for a packet nobody need answer.
    bool TcpConnectQuietly(const QString &address, quint16 port);
    bool SendSocket(const QByteArray &data);
    QByteArray ReadSocket();
    QString SocketError() const { return m_winsock.ErrorString(); }

    // False when the wait ended because the window closed.
    bool WaitMs(milliseconds ms);

    // The parts of a wait, for waits that also watch for a reply.
    void StartWatchDog(milliseconds ms);
    void StopWatchDog();
    bool WatchDogFired() const { return m_watchDogFired; }
    void StartTenthTimer();
    void StopTenthTimer();
    void SetProgressRange(int maximum);
    void ShowProgress(); // the ticks so far
    void ResetProgress();

private:
    void OnDatagram(const QByteArray &data, const QString &sender);
    void OnTcpData(qint64 bytesTotal);
    void Store(const QByteArray &data, const QString &sender);

    NetworkSettings m_settings;
    QProgressBar *m_progressBar;
    QTimer *m_tmrTenth;
    QTimer *m_tmrWatchDog;
    Winsock m_winsock;
    QList<Reply> m_replies;
    bool m_running = false;
    bool m_watchDogFired = false;
    int m_tenthTicks = 0;
    // A TCP connection's data is one reply however it was cut on the way.
    bool m_tcpReplyOpen = false;
};

} // namespace discovery
