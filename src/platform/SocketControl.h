#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

// The program's one TCP client, with the behaviour of the socket control the device
// exchange was written for: states by meaning, a count of bytes waiting, whole-buffer
// reads, and data and error events. A peer that closes the connection is a close, not an
// error.
class SocketControl : public QObject {
    Q_OBJECT

public:
    enum class State { Closed, Connecting, Connected, Closing };

    explicit SocketControl(QObject *parent = nullptr);

    State CurrentState() const;
    QString RemoteHost() const { return m_remoteHost; }
    quint16 RemotePort() const { return m_remotePort; }

    // Starts connecting and returns at once; the state tells when it is done.
    void Connect(const QString &host, quint16 port);
    void Close();
    // False when not connected or the bytes could not be queued.
    bool SendData(const QByteArray &data);
    // Everything waiting, taken out of the socket.
    QByteArray GetData();
    qint64 BytesReceived() const;

signals:
    // bytesTotal: all bytes now waiting, not only the new ones.
    void DataArrival(qint64 bytesTotal);
    // Windows socket error numbers where one exists (10061 refused, ...), else Qt's own.
    void Error(int number, const QString &description);

private:
    void OnError(QAbstractSocket::SocketError error);

    QTcpSocket m_socket;
    QString m_remoteHost;
    quint16 m_remotePort = 0;
};
