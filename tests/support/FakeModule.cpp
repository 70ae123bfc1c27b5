#include "FakeModule.h"

#include "FakeDevice.h"

#include <QNetworkDatagram>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QHostAddress kLoopbackBroadcast(QStringLiteral("127.255.255.255"));

bool IsLoopback(const QHostAddress &address)
{
    return address.isInSubnet(QHostAddress(QStringLiteral("127.0.0.0")), 8);
}

} // namespace

FakeModule::FakeModule(QObject *parent) : QObject(parent)
{
    reply = QByteArray(24, '\x11') + QByteArray::fromHex("00204A0A3C5F");
    for (int k = 0; k < 120; ++k)
        setupRecord += char(0x80 + k);
    connect(&m_hear, &QUdpSocket::readyRead, this, &FakeModule::OnDatagram);
}

FakeModule::~FakeModule() = default;

bool FakeModule::Listen(quint16 port)
{
    m_port = port;
    if (!m_hear.bind(kLoopbackBroadcast, port,
                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (MoveTo(NextFakeAddress()))
            return true;
    }
    return false;
}

bool FakeModule::MoveTo(const QHostAddress &address)
{
    auto speak = std::make_unique<QUdpSocket>();
    auto server = std::make_unique<QTcpServer>();
    if (!speak->bind(address, m_port) || !server->listen(address, m_port))
        return false;
    connect(server.get(), &QTcpServer::newConnection, this, &FakeModule::OnConnection);
    m_speak = std::move(speak);
    m_server = std::move(server);
    m_address = address;
    return true;
}

void FakeModule::OnDatagram()
{
    while (m_hear.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_hear.receiveDatagram();
        const QByteArray data = datagram.data();
        datagrams.append(data);
        const QHostAddress sender = datagram.senderAddress();
        if (!IsLoopback(sender))
            continue;
        if (data == QByteArray::fromHex("000000F6")) {
            const quint16 port = datagram.senderPort();
            QTimer::singleShot(replyDelayMs, this, [this, sender, port] {
                for (int n = 0; n < repliesPerQuery; ++n)
                    m_speak->writeDatagram(reply, sender, port);
            });
        } else if (data.size() == 20 && data.startsWith(QByteArray::fromHex("000000FC")) &&
                   data.mid(14, 2) == reply.right(2) && !dhcpAddress.isNull()) {
            MoveTo(dhcpAddress);
        }
    }
}

void FakeModule::OnConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        // The socket outlives a move to a new address, which replaces the server.
        socket->setParent(this);
        const int connection = connectionCount++;
        written.append(QByteArray());
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, connection] { OnTcpData(socket, connection); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void FakeModule::OnTcpData(QTcpSocket *socket, int connection)
{
    QByteArray data = socket->readAll();
    if (written[connection].isNull() && recordMode == RecordMode::Stream) {
        written[connection] = QByteArray("");
        Stream(socket);
        return;
    }
    if (written[connection].isNull() && data.startsWith(QByteArray::fromHex("000100E0"))) {
        data.remove(0, 4);
        written[connection] = QByteArray("");
        const QPointer<QTcpSocket> target(socket);
        if (recordMode == RecordMode::Whole)
            socket->write(setupRecord);
        else if (recordMode == RecordMode::TwoPieces) {
            const qsizetype half = setupRecord.size() / 2;
            socket->write(setupRecord.left(half));
            QTimer::singleShot(30, this, [this, target, half] {
                if (target)
                    target->write(setupRecord.mid(half));
            });
        }
    }
    written[connection] += data;
    const QByteArray &record = written[connection];
    if (record.size() != setupRecord.size())
        return;
    const QHostAddress next(quint32(uchar(record[4])) << 24 | quint32(uchar(record[5])) << 16 |
                            quint32(uchar(record[6])) << 8 | uchar(record[7]));
    if (IsLoopback(next))
        MoveTo(next);
}

void FakeModule::Stream(QTcpSocket *socket)
{
    // A little queued at a time, so the stream costs this side no memory.
    const QByteArray chunk(64 * 1024, '\x5A');
    const auto more = [this, socket, chunk] {
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < chunk.size()) {
            socket->write(chunk);
            streamed += chunk.size();
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}
