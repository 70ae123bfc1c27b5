#pragma once

#include "DeviceCommands.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <array>

class QTcpSocket;

// A device on loopback: a QTcpServer on its own 127.x.y.z at port 10001 that answers the
// device protocol from its own state and can be told to misbehave per command.
class FakeDevice : public QObject {
    Q_OBJECT

public:
    enum class Behaviour {
        Normal,
        Silent,    // no reply
        Split,     // the reply in pieces of chunkBytes, chunkGapMs apart
        Short,     // the reply less its last byte (59 of 60)
        Busy,      // the busy reply instead; the request is not served
        WrongEcho, // byte 4 of the reply changed
        ErrorText, // errorText written over the reply from byte 5
        Long,      // one byte more than the reply (61 of 60)
    };
    struct Knob {
        Behaviour behaviour = Behaviour::Normal;
        int delayMs = 0; // before the reply starts
        int chunkBytes = 30;
        int chunkGapMs = 50;
        QByteArray errorText = "Error";
        int times = -1; // how many requests it applies to; -1 for all
    };
    struct Channel {
        qint16 reading = 0; // as sent: in tenths when `tenths` is set and the device scales it
        quint16 count = 0;
        quint8 state = 0;
    };

    explicit FakeDevice(QObject *parent = nullptr);

    // This test's own address, so parallel test processes never meet on one.
    bool Listen();
    bool Listen(const QHostAddress &address);
    QString Address() const;

    // Keyed by the 4-byte header (a page's header carries its number).
    void SetKnob(const QByteArray &header, const Knob &knob);

    // Every 60-byte request received, in order.
    const QList<QByteArray> &Requests() const { return m_requests; }
    int ConnectionCount() const { return m_connectionCount; }
    // The device closes every open connection.
    void DropConnections();

    // Pages and credentials as a factory reset leaves them.
    void FactoryReset();

    qint16 family = 5;
    qint16 subModel = 7;
    qint16 revision = 25;
    std::array<QByteArray, kPageCount> pages; // 60 bytes each, as a read returns them
    std::array<Channel, 10> channels{};
    quint8 battery = 0;
    bool tenths = false;
    char unitLetter = 'F';
    QByteArray clock;   // seconds to year, packed BCD, hours in 12-hour mode
    quint8 logRate = 5; // minutes
    int logRecordSize = 23;
    QByteArray dataLog;     // the stored records; the clock reports their count
    QByteArray hiLo;        // 365 daily records of 35 bytes unless set otherwise
    QByteArray credentials; // 60-byte block as read

    // `days` high/low records from 1 January 2014.
    static QByteArray HiLoRecords(int days);

signals:
    // A request arrived; the sender is still waiting for its reply.
    void Received(const QByteArray &request);

private:
    void OnNewConnection();
    void OnData(QTcpSocket *socket);
    void Answer(QTcpSocket *socket, const QByteArray &request);
    QByteArray Serve(const QByteArray &request);
    Knob TakeKnob(const QByteArray &header);
    void Send(QTcpSocket *socket, const QByteArray &reply, const Knob &knob);

    QTcpServer m_server;
    QHash<QByteArray, Knob> m_knobs;
    QList<QByteArray> m_requests;
    int m_connectionCount = 0;
};

// A loopback address at which no fake device ever listens: connections there are refused.
QString UnusedLoopbackAddress();
// The next 127.77.x.y address of this test's sequence, the one fakes take.
QHostAddress NextFakeAddress();
