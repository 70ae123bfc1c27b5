#include "FakeDevice.h"

#include "AnsiText.h"

#include <QCoreApplication>
#include <QDate>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Fakes take 127.77.x.y, refused addresses 127.200.x.y; x.y comes from the test's name so
// parallel test processes start far apart, and a taken address moves on to the next.
constexpr quint32 kFakeNet = (127u << 24) | (77u << 16);
constexpr quint32 kUnusedNet = (127u << 24) | (200u << 16);
int g_nextFake = 0;
int g_nextUnused = 0;

quint32 NameHash()
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QByteArray name = info ? QByteArray(info->test_suite_name()) + '.' + info->name()
                                 : QCoreApplication::applicationName().toUtf8();
    quint32 hash = 2166136261u;
    for (const char c : name)
        hash = (hash ^ uchar(c)) * 16777619u;
    return hash;
}

QHostAddress NthAddress(quint32 net, int n)
{
    // Host parts 1 to 254 of each /24 only.
    const quint32 slot = (NameHash() + quint32(n)) % (256u * 254u);
    return QHostAddress(net | ((slot / 254u) << 8) | (slot % 254u + 1u));
}

QByteArray Word(int value)
{
    QByteArray bytes(2, '\0');
    const WordBytes split = SplitWord(value);
    bytes[0] = char(split.hi);
    bytes[1] = char(split.lo);
    return bytes;
}

QByteArray WordLE(int value)
{
    const QByteArray be = Word(value);
    return QByteArray(1, be[1]).append(be[0]);
}

char Bcd(int n)
{
    return char(n % 10 + 16 * (n / 10));
}

QByteArray FactoryCredentials()
{
    return PadWithNulls(DeviceCommand::ReadCredentials() + QByteArray(4, '\0') +
                        FixedAnsi(QStringLiteral("admin"), 20) + QByteArray(20, ' '));
}

} // namespace

FakeDevice::FakeDevice(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FakeDevice::OnNewConnection);
    FactoryReset();
    clock = QByteArray::fromHex("00304501150614");
    hiLo = HiLoRecords(365);
}

bool FakeDevice::Listen()
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (Listen(NextFakeAddress()))
            return true;
    }
    return false;
}

bool FakeDevice::Listen(const QHostAddress &address)
{
    return m_server.listen(address, kDevicePort);
}

QString FakeDevice::Address() const
{
    return m_server.serverAddress().toString();
}

void FakeDevice::SetKnob(const QByteArray &header, const Knob &knob)
{
    m_knobs.insert(header.left(4), knob);
}

void FakeDevice::DropConnections()
{
    for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        socket->disconnectFromHost();
}

void FakeDevice::FactoryReset()
{
    for (int n = 0; n < kPageCount; ++n)
        pages[n] = PadWithNulls(DeviceCommand::ReadPage(n));
    credentials = FactoryCredentials();
}

QByteArray FakeDevice::HiLoRecords(int days)
{
    QByteArray records;
    const QDate first(2014, 1, 1);
    for (int d = 0; d < days; ++d) {
        const QDate date = first.addDays(d);
        records += Bcd(date.month());
        records += Bcd(date.day());
        records += Bcd(date.year() - 2000);
        for (int k = 0; k < 8; ++k) {
            records += WordLE(250 + 10 * k);
            records += WordLE(-20 + 10 * k);
        }
    }
    return records;
}

void FakeDevice::OnNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connectionCount;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnData(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void FakeDevice::OnData(QTcpSocket *socket)
{
    while (socket->bytesAvailable() >= kFrameLength)
        Answer(socket, socket->read(kFrameLength));
}

FakeDevice::Knob FakeDevice::TakeKnob(const QByteArray &header)
{
    auto it = m_knobs.find(header);
    if (it == m_knobs.end())
        return {};
    const Knob knob = *it;
    if (it->times > 0 && --it->times == 0)
        m_knobs.erase(it);
    return knob;
}

void FakeDevice::Answer(QTcpSocket *socket, const QByteArray &request)
{
    m_requests.append(request);
    emit Received(request);
    const Knob knob = TakeKnob(request.left(4));
    switch (knob.behaviour) {
    case Behaviour::Silent:
        return;
    case Behaviour::Busy:
        Send(socket, PadWithNulls(DeviceCommand::BusyReply()), knob);
        return;
    default:
        break;
    }
    QByteArray reply = Serve(request);
    if (reply.isNull())
        return; // not a command of this device
    if (knob.behaviour == Behaviour::Short)
        reply.chop(1);
    else if (knob.behaviour == Behaviour::WrongEcho && reply.size() >= 4)
        reply[3] = char(reply[3] ^ 0x5A);
    else if (knob.behaviour == Behaviour::Long)
        reply.append('\0');
    else if (knob.behaviour == Behaviour::ErrorText)
        reply.replace(4, knob.errorText.size(), knob.errorText);
    Send(socket, reply, knob);
}

QByteArray FakeDevice::Serve(const QByteArray &request)
{
    const QByteArray header = request.left(4);
    const int page = uchar(request.at(3));
    if (header == DeviceCommand::Identify())
        return PadWithNulls(header + Word(family) + Word(subModel) + Word(revision));
    if (header == DeviceCommand::ReadCurrentData()) {
        QByteArray reply = header;
        for (const Channel &channel : channels)
            reply += Word(channel.reading) + Word(channel.count) + char(channel.state);
        reply += QByteArray(3, '\0');
        reply += char(battery);
        reply += char(tenths ? 10 : 0);
        reply += unitLetter;
        return reply;
    }
    if (header.left(3) == DeviceCommand::ReadPage(0).left(3))
        return page < kPageCount ? pages[page] : QByteArray();
    if (header.left(3) == DeviceCommand::StorePage()) {
        if (page >= kPageCount)
            return {};
        pages[page] = DeviceCommand::ReadPage(page) + request.mid(4);
        return request;
    }
    if (header == DeviceCommand::FactoryDefaults()) {
        FactoryReset();
        return request;
    }
    if (header == DeviceCommand::StoreClock()) {
        clock = request.mid(4, 7);
        logRate = uchar(request.at(11));
        return request;
    }
    if (header == DeviceCommand::ReadClock())
        return PadWithNulls(header + clock + char(logRate) + Word(dataLog.size() / logRecordSize));
    if (header == DeviceCommand::DownloadDataLog()) {
        const QByteArray log = dataLog.isEmpty() ? QByteArray("") : dataLog;
        if (request.at(4) == 1)
            dataLog.clear();
        return log;
    }
    if (header == DeviceCommand::DownloadHiLo())
        return hiLo.isEmpty() ? QByteArray("") : hiLo;
    if (header == DeviceCommand::ReadCredentials())
        return credentials;
    if (header == DeviceCommand::StoreCredentials()) {
        credentials = DeviceCommand::ReadCredentials() + request.mid(4);
        return request;
    }
    return {};
}

void FakeDevice::Send(QTcpSocket *socket, const QByteArray &reply, const Knob &knob)
{
    const QPointer<QTcpSocket> target(socket);
    const bool split = knob.behaviour == Behaviour::Split && knob.chunkBytes > 0;
    const int pieceSize = split ? knob.chunkBytes : int(reply.size());
    int at = knob.delayMs;
    for (qsizetype from = 0; from < reply.size(); from += pieceSize) {
        const QByteArray piece = reply.mid(from, pieceSize);
        QTimer::singleShot(at, this, [target, piece] {
            if (target)
                target->write(piece);
        });
        at += knob.chunkGapMs;
    }
}

QString UnusedLoopbackAddress()
{
    return NthAddress(kUnusedNet, g_nextUnused++).toString();
}

QHostAddress NextFakeAddress()
{
    return NthAddress(kFakeNet, g_nextFake++);
}
