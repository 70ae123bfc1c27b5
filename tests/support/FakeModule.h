#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUdpSocket>

#include <memory>

class QTcpSocket;

// A device's network module on loopback. It hears the discovery broadcasts sent to
// 127.255.255.255 at its port (30718 in the field) and answers, from its own 127.77.x.y, only
// senders in 127.0.0.0/8; it serves its setup record over TCP on its address and, once sent a
// changed record or a reset for itself, answers from the new address. It records all it gets.
class FakeModule : public QObject {
    Q_OBJECT

public:
    // Stream: answers whatever it is first sent on a connection with bytes without end.
    enum class RecordMode { Whole, TwoPieces, Silent, Stream };

    explicit FakeModule(QObject *parent = nullptr);
    ~FakeModule() override;

    // On the next free address of this test, hearing the broadcasts to `port`.
    bool Listen(quint16 port);
    QString Address() const { return m_address.toString(); }

    // 30 bytes, its MAC in bytes 25-30.
    QByteArray reply;
    int repliesPerQuery = 1;
    int replyDelayMs = 0;
    QByteArray setupRecord; // 120 bytes unless set otherwise
    RecordMode recordMode = RecordMode::Whole;
    // Where a reset to DHCP moves it; stays put when null.
    QHostAddress dhcpAddress;

    QList<QByteArray> datagrams; // every datagram heard, in order
    QList<QByteArray> written;   // per TCP connection, all it sent after its request
    int connectionCount = 0;
    qint64 streamed = 0; // bytes handed to the connections in Stream mode

private:
    bool MoveTo(const QHostAddress &address);
    void OnDatagram();
    void OnConnection();
    void OnTcpData(QTcpSocket *socket, int connection);
    void Stream(QTcpSocket *socket);

    QHostAddress m_address;
    quint16 m_port = 0;
    QUdpSocket m_hear;
    std::unique_ptr<QUdpSocket> m_speak;
    std::unique_ptr<QTcpServer> m_server;
};
