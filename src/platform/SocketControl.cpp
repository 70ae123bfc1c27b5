#include "SocketControl.h"

namespace {

int WinsockNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::NetworkError:
        return 10065;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    default:
        return int(error);
    }
}

} // namespace

SocketControl::SocketControl(QObject *parent) : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this,
            [this] { emit DataArrival(m_socket.bytesAvailable()); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &SocketControl::OnError);
}

SocketControl::State SocketControl::CurrentState() const
{
    switch (m_socket.state()) {
    case QAbstractSocket::UnconnectedState:
        return State::Closed;
    case QAbstractSocket::ConnectedState:
        return State::Connected;
    case QAbstractSocket::ClosingState:
        return State::Closing;
    default: // host lookup, connecting, bound
        return State::Connecting;
    }
}

void SocketControl::Connect(const QString &host, quint16 port)
{
    m_socket.abort();
    m_remoteHost = host;
    m_remotePort = port;
    m_socket.connectToHost(host, port);
}

void SocketControl::Close()
{
    m_socket.close();
}

bool SocketControl::SendData(const QByteArray &data)
{
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return false;
    return m_socket.write(data) == data.size();
}

QByteArray SocketControl::GetData()
{
    return m_socket.readAll();
}

qint64 SocketControl::BytesReceived() const
{
    return m_socket.bytesAvailable();
}

void SocketControl::OnError(QAbstractSocket::SocketError error)
{
    // The old control reported a peer's close as a close; Qt reports it as an error.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    emit Error(WinsockNumber(error), m_socket.errorString());
}
