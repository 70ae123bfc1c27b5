#include "Winsock.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace discovery {

Winsock::Winsock(QObject *parent) : QObject(parent)
{
    connect(&m_tcp, &SocketControl::DataArrival, this, &Winsock::DataArrival);
    connect(&m_tcp, &SocketControl::Error, this, [this](int, const QString &description) {
        if (!Connected())
            m_connectError = description;
    });
}

Winsock::~Winsock() = default;

bool Winsock::SetProtocol(Protocol protocol)
{
    Close();
    m_protocol = protocol;
    if (protocol == Protocol::Tcp)
        return true;
    m_udp = std::make_unique<QUdpSocket>();
    // IPv4 only: a dual-stack socket gives its senders as ::ffff:a.b.c.d.
    if (!m_udp->bind(QHostAddress::AnyIPv4, 0)) {
        m_udp.reset();
        return false;
    }
    connect(m_udp.get(), &QUdpSocket::readyRead, this, &Winsock::ReadDatagrams);
    return true;
}

void Winsock::SetRemote(const QHostAddress &host, quint16 port)
{
    m_remoteHost = host;
    m_remotePort = port;
}

void Winsock::Connect(const QString &host, quint16 port)
{
    m_connectError.clear();
    m_tcp.Connect(host, port);
}

bool Winsock::Connected() const
{
    return m_protocol == Protocol::Tcp && m_tcp.CurrentState() == SocketControl::State::Connected;
}

bool Winsock::SendData(const QByteArray &data)
{
    if (m_protocol == Protocol::Tcp)
        return m_tcp.SendData(data);
    return m_udp && m_udp->writeDatagram(data, m_remoteHost, m_remotePort) == data.size();
}

QByteArray Winsock::GetData()
{
    return m_tcp.GetData();
}

QString Winsock::ErrorString() const
{
    return m_udp ? m_udp->errorString() : QString();
}

void Winsock::Close()
{
    m_tcp.Close();
    m_udp.reset();
}

void Winsock::ReadDatagrams()
{
    while (m_udp && m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp->receiveDatagram();
        emit DatagramArrival(datagram.data(), datagram.senderAddress().toString());
    }
}

} // namespace discovery
