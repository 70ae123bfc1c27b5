#pragma once

#include "SocketControl.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QUdpSocket;

namespace discovery {

// The program's one socket, switched between UDP for the broadcasts and TCP for a
// module's setup record and the device test. UDP sends only to the remote address it is
// given, and hears on an ephemeral port of its own: never the modules' port, where it
// would hear its own query.
class Winsock : public QObject {
    Q_OBJECT

public:
    enum class Protocol { Tcp, Udp };

    explicit Winsock(QObject *parent = nullptr);
    ~Winsock() override;

    Protocol CurrentProtocol() const { return m_protocol; }
    // Closes what is open; a UDP socket is bound at once, false when that fails.
    bool SetProtocol(Protocol protocol);
    void SetRemote(const QHostAddress &host, quint16 port);

    void Connect(const QString &host, quint16 port);
    bool Connected() const;
    // Why the last connection attempt ended without a connection (refused, unreachable);
    // empty while it has not.
    QString ConnectError() const { return m_connectError; }

    // UDP: one datagram to the remote address; TCP: over the connection.
    bool SendData(const QByteArray &data);
    QByteArray GetData();
    // Why the last UDP send failed.
    QString ErrorString() const;
    void Close();

signals:
    // UDP: one per datagram, the sender as dotted text.
    void DatagramArrival(const QByteArray &data, const QString &sender);
    // TCP: all bytes now waiting.
    void DataArrival(qint64 bytesTotal);

private:
    void ReadDatagrams();

    Protocol m_protocol = Protocol::Tcp;
    SocketControl m_tcp;
    std::unique_ptr<QUdpSocket> m_udp;
    QHostAddress m_remoteHost;
    quint16 m_remotePort = 0;
    QString m_connectError;
};

} // namespace discovery
