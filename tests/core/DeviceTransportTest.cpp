#include "DeviceTransport.h"
#include "ConfigRecord.h"
#include "DeviceCommands.h"
#include "DeviceLinkFixture.h"
#include "FakeDevice.h"
#include "ProcessCpu.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <stdexcept>

namespace {

const QByteArray kIdentify = PadWithNulls(DeviceCommand::Identify());
const QByteArray kCurrentData = PadWithNulls(DeviceCommand::ReadCurrentData());
const QByteArray kHiLo = PadWithNulls(DeviceCommand::DownloadHiLo());

QByteArray IdentityOf(const FakeDevice &device)
{
    QByteArray words;
    for (const qint16 word : {device.family, device.subModel, device.revision}) {
        const WordBytes bytes = SplitWord(word);
        words += char(bytes.hi);
        words += char(bytes.lo);
    }
    return PadWithNulls(DeviceCommand::Identify() + words);
}

bool Exchange(const FakeDevice &device, const QByteArray &request, QByteArray &reply,
              bool closeAfter = true)
{
    return ReadFromKV(device.Address(), kDevicePort, request, reply, kFrameLength,
                      ProgressForm::None, closeAfter);
}

// Explicit addresses may be held for a moment by another test process.
bool ListenOn(FakeDevice &device, const char *address)
{
    const QDeadlineTimer deadline(10000);
    while (!device.Listen(QHostAddress(QString::fromLatin1(address)))) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(100);
    }
    return true;
}

FakeDevice::Knob Knob(FakeDevice::Behaviour behaviour)
{
    FakeDevice::Knob knob;
    knob.behaviour = behaviour;
    return knob;
}

// A device manager screen whose name box has gone away under the exchange.
class VanishingTreeForm : public RecordingTreeForm {
public:
    QString ServerNameText() const override { throw std::runtime_error("name box gone"); }
};

} // namespace

class DeviceTransportTest : public DeviceLinkFixture {
protected:
    void SetUp() override
    {
        DeviceLinkFixture::SetUp();
        ASSERT_TRUE(device.Listen());
    }

    FakeDevice device;
};

TEST_F(DeviceTransportTest, SplitReplyIsTakenWholeOnceAllSixtyBytesWait)
{
    FakeDevice::Knob split = Knob(FakeDevice::Behaviour::Split);
    split.chunkBytes = 30;
    split.chunkGapMs = 100;
    device.SetKnob(DeviceCommand::Identify(), split);

    QByteArray reply;
    EXPECT_TRUE(Exchange(device, kIdentify, reply));
    EXPECT_EQ(reply, IdentityOf(device));
    EXPECT_EQ(LinkState().LastReply, reply);
    EXPECT_EQ(device.Requests(), QList<QByteArray>{kIdentify});
    EXPECT_EQ(mainForm.lamp, (QList<qint32>{kLampGreen, kLampGrey}));
    EXPECT_EQ(mainForm.hourglass, (QList<bool>{true, false}));
    EXPECT_EQ(mainForm.progressMaxima, (QList<int>{25, 10, 20, 1}));
    EXPECT_EQ(board.Lines(), QStringList{QStringLiteral("Connection closed")});
    EXPECT_EQ(link->Winsock().CurrentState(), SocketControl::State::Closed);
}

TEST_F(DeviceTransportTest, ShortReplyTimesOutEmptyAndIsDiscardedBeforeTheNextRequest)
{
    FakeDevice::Knob shortOnce = Knob(FakeDevice::Behaviour::Short);
    shortOnce.times = 1;
    device.SetKnob(DeviceCommand::Identify(), shortOnce);

    QByteArray reply = "left over";
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(Exchange(device, kIdentify, reply, false));
    EXPECT_GE(waited.elapsed(), 950);
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_EQ(mainForm.lamp.last(), kLampGrey);

    // The 59 bytes still wait in the open connection; the next reply must not start with them.
    EXPECT_TRUE(Exchange(device, kIdentify, reply));
    EXPECT_EQ(reply, IdentityOf(device));
    EXPECT_EQ(device.ConnectionCount(), 1);
}

TEST_F(DeviceTransportTest, RefusedRepliesAreKeptForTheCallerToExamine)
{
    struct Row {
        const char *name;
        FakeDevice::Behaviour behaviour;
        QByteArray errorText;
    };
    const Row rows[] = {
        {"busy", FakeDevice::Behaviour::Busy, {}},
        {"wrong echo", FakeDevice::Behaviour::WrongEcho, {}},
        {"Error", FakeDevice::Behaviour::ErrorText, "Error"},
        {"ERROR", FakeDevice::Behaviour::ErrorText, "ERROR"},
        {"eRrOr in a name", FakeDevice::Behaviour::ErrorText, "Probe eRrOr"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeDevice::Knob knob = Knob(row.behaviour);
        knob.errorText = row.errorText;
        device.SetKnob(DeviceCommand::Identify(), knob);
        SetStatusMessage(QStringLiteral("Communication Error"), QStringLiteral("x"));

        QByteArray reply;
        EXPECT_FALSE(Exchange(device, kIdentify, reply));
        EXPECT_EQ(reply.size(), kFrameLength);
        EXPECT_EQ(IsBusyReply(reply), row.behaviour == FakeDevice::Behaviour::Busy);
        if (!row.errorText.isEmpty()) {
            EXPECT_TRUE(reply.startsWith(DeviceCommand::Identify()));
            EXPECT_TRUE(reply.contains(row.errorText));
        }
        EXPECT_FALSE(board.Lines().join(u'\n').contains(QStringLiteral("Communication Error")));
    }
}

TEST_F(DeviceTransportTest, HighLowDownloadIsAcceptedByLengthWhileTheByteCountIsShown)
{
    LinkState().ActiveForm = AppForm::TreeConfiguration;
    treeForm.serverName = QStringLiteral("Cold Room");
    FakeDevice::Knob pieces = Knob(FakeDevice::Behaviour::Split);
    pieces.chunkBytes = 4000;
    pieces.chunkGapMs = 100;
    device.SetKnob(DeviceCommand::DownloadHiLo(), pieces);
    ASSERT_EQ(device.hiLo.size(), 12775);
    ASSERT_FALSE(device.hiLo.startsWith(DeviceCommand::DownloadHiLo()));

    QByteArray reply;
    EXPECT_TRUE(ReadFromKV(device.Address(), kDevicePort, kHiLo, reply, 12775,
                           ProgressForm::TreeConfiguration, true));
    EXPECT_EQ(reply, device.hiLo);
    EXPECT_EQ(treeForm.progressMaxima, (QList<int>{25, 600, 20, 1})); // 60 s for long replies
    EXPECT_FALSE(treeForm.progressShown);
    EXPECT_EQ(treeForm.hourglass, (QList<bool>{true, false}));
    EXPECT_TRUE(mainForm.hourglass.isEmpty());

    const QString prefix =
        QStringLiteral("Downloading log records from Cold Room  Total bytes Received: ");
    ASSERT_GE(treeForm.serverErrorTexts.size(), 2);
    qint64 previous = -1;
    for (const QString &text : treeForm.serverErrorTexts) {
        ASSERT_TRUE(text.startsWith(prefix) && text.endsWith(QStringLiteral(" of 12775 bytes")))
            << text.toStdString();
        const qint64 count = text.mid(prefix.size()).section(u' ', 0, 0).toLongLong();
        EXPECT_GT(count, previous);
        previous = count;
    }
    EXPECT_EQ(previous, 12775);
}

TEST_F(DeviceTransportTest, ZeroTimeOutWaitsThreeSecondsAsleepAndBecomesThree)
{
    Config().TCPTimeOut = 0;
    device.SetKnob(DeviceCommand::Identify(), Knob(FakeDevice::Behaviour::Silent));

    QElapsedTimer waited;
    waited.start();
    const double cpuBefore = ProcessCpuSeconds();
    QByteArray reply;
    EXPECT_FALSE(Exchange(device, kIdentify, reply, false));
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const qint64 wall = waited.elapsed();

    EXPECT_EQ(Config().TCPTimeOut, 3);
    EXPECT_GE(wall, 3000);
    EXPECT_LT(wall, 6000);
    EXPECT_EQ(mainForm.progressMaxima, (QList<int>{25, 30}));
    // The ticker fills the bar up to, not past, its maximum; the end of the wait empties it.
    ASSERT_FALSE(mainForm.progressValues.isEmpty());
    const int fullest =
        *std::max_element(mainForm.progressValues.begin(), mainForm.progressValues.end());
    EXPECT_GE(fullest, 20);
    EXPECT_LT(fullest, 30);
    EXPECT_EQ(mainForm.progressValues.last(), 0);
    // Waiting sleeps on the event loop: a spinning wait would burn the whole three seconds.
    EXPECT_LT(cpu, 0.5) << "CPU seconds spent waiting";
}

TEST_F(DeviceTransportTest, ClearingRunningEndsEveryWaitAtOnce)
{
    Config().TCPTimeOut = 9;
    device.SetKnob(DeviceCommand::Identify(), Knob(FakeDevice::Behaviour::Silent));
    QTimer::singleShot(200, [] { LinkState().Running = false; });

    QElapsedTimer waited;
    waited.start();
    QByteArray reply;
    EXPECT_FALSE(Exchange(device, kIdentify, reply, false));
    EXPECT_LT(waited.elapsed(), 2000);

    waited.restart();
    EXPECT_FALSE(OpenWinSocket(UnusedLoopbackAddress(), kDevicePort));
    CloseWinSocket();
    EXPECT_FALSE(Exchange(device, kIdentify, reply));
    EXPECT_LT(waited.elapsed(), 500);
}

TEST_F(DeviceTransportTest, RefusedConnectionTurnsTheLampRedAfterTheConnectWait)
{
    const QString nobody = UnusedLoopbackAddress();
    QElapsedTimer waited;
    waited.start();
    QByteArray reply;
    EXPECT_FALSE(
        ReadFromKV(nobody, kDevicePort, kIdentify, reply, kFrameLength, ProgressForm::None, true));
    EXPECT_GE(waited.elapsed(), 2500);
    EXPECT_EQ(mainForm.lamp, QList<qint32>{kLampRed});
    EXPECT_TRUE(mainForm.hourglass.isEmpty());
    EXPECT_TRUE(board.Lines().contains(
        QStringLiteral("Connection could not be established with IP Address ") + nobody));
    // The "Connection " line then takes over this line, whose text holds its key.
    EXPECT_TRUE(board.history.contains(
        QStringLiteral("Communication ErrorError Number: 10061.  Description Connection refused")))
        << board.history.join(u'\n').toStdString();
}

TEST_F(DeviceTransportTest, PortOutOfRangeIsRecordedNotWrapped)
{
    QByteArray reply;
    EXPECT_FALSE(ReadFromKV(device.Address(), 65536 + kDevicePort, kIdentify, reply, kFrameLength,
                            ProgressForm::None, true));
    EXPECT_EQ(mainForm.lamp, QList<qint32>{kLampRed});
    EXPECT_EQ(device.ConnectionCount(), 0);
    EXPECT_EQ(
        Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors")),
        QStringList{QStringLiteral("myFunction=OpenWinSocket()|Cause=port 75537 is out of range")});
}

TEST_F(DeviceTransportTest, OpenConnectionServesOnlyTheDeviceItLeadsTo)
{
    FakeDevice first;
    FakeDevice second;
    ASSERT_TRUE(ListenOn(first, "127.0.0.2"));
    ASSERT_TRUE(ListenOn(second, "127.0.0.3"));

    QByteArray reply;
    EXPECT_TRUE(Exchange(first, kIdentify, reply, false));
    EXPECT_TRUE(Exchange(first, kIdentify, reply, false));
    EXPECT_EQ(first.ConnectionCount(), 1);

    EXPECT_TRUE(Exchange(second, kCurrentData, reply, true));
    EXPECT_TRUE(reply.startsWith(DeviceCommand::ReadCurrentData()));
    EXPECT_EQ(second.Requests(), QList<QByteArray>{kCurrentData});
    EXPECT_EQ(first.Requests(), (QList<QByteArray>{kIdentify, kIdentify}));
    EXPECT_TRUE(
        board.history.contains(QStringLiteral("Connection opened with IP Address 127.0.0.3")));
}

TEST_F(DeviceTransportTest, PeerCloseIsNoCommunicationErrorAndTheNextExchangeReconnects)
{
    ASSERT_TRUE(OpenWinSocket(device.Address(), kDevicePort));
    device.DropConnections();
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return link->Winsock().CurrentState() == SocketControl::State::Closed; }, 2000));
    for (const QString &line : board.history)
        EXPECT_FALSE(line.startsWith(QStringLiteral("Communication Error"))) << line.toStdString();

    QByteArray reply;
    EXPECT_TRUE(Exchange(device, kIdentify, reply));
    EXPECT_EQ(device.ConnectionCount(), 2);
}

TEST_F(DeviceTransportTest, FaultDuringTheWaitStopsTimersAndRestoresTheWindows)
{
    VanishingTreeForm vanishing;
    link->SetTreeForm(&vanishing);
    LinkState().ActiveForm = AppForm::TreeConfiguration;

    QByteArray reply;
    EXPECT_FALSE(ReadFromKV(device.Address(), kDevicePort, kHiLo, reply, 12775,
                            ProgressForm::TreeConfiguration, false));
    EXPECT_FALSE(link->tmrWatchDog().isActive());
    EXPECT_FALSE(link->tmrTenth().isActive());
    EXPECT_EQ(vanishing.hourglass, (QList<bool>{true, false}));
    EXPECT_FALSE(vanishing.progressShown);
    EXPECT_EQ(mainForm.lamp.last(), kLampGrey);
    EXPECT_EQ(link->Winsock().CurrentState(), SocketControl::State::Closed);
    EXPECT_EQ(
        Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors")),
        QStringList{QStringLiteral("myFunction=Error in ReadFromKV is |Cause=name box gone")});
}

TEST(AcceptReplyTest, RulesInOrder)
{
    const QByteArray frame =
        PadWithNulls(DeviceCommand::Identify() + QByteArray::fromHex("000500070019"));
    struct Row {
        const char *name;
        QByteArray request;
        QByteArray reply;
        int expectedLength;
        bool accepted;
        QByteArray after;
    };
    const QByteArray junk(7, 'x');
    const QByteArray withError = PadWithNulls(DeviceCommand::Identify() + "ERROR");
    const Row rows[] = {
        {"echo, full length", kIdentify, frame, 60, true, frame},
        {"echo, longer than expected", kIdentify, frame + "zz", 60, true, frame + "zz"},
        {"echo, too short", kIdentify, frame.left(59), 60, false, frame.left(59)},
        {"high/low by length alone", kHiLo, QByteArray(12775, 'x'), 12775, true,
         QByteArray(12775, 'x')},
        {"data log by length alone", PadWithNulls(DeviceCommand::DownloadDataLog()),
         QByteArray(230, '\xDE'), 230, true, QByteArray(230, '\xDE')},
        {"high/low one byte short", kHiLo, QByteArray(12774, 'x'), 12775, false,
         QByteArray(12774, 'x')},
        {"header further on, one frame after it", kIdentify, junk + frame, 60, true, frame},
        {"header further on, 59 bytes after it", kIdentify, junk + frame.left(59), 60, false,
         junk + frame.left(59)},
        {"header further on, 61 bytes after it", kIdentify, junk + frame + "z", 60, false,
         junk + frame + "z"},
        {"echo containing error", kIdentify, withError, 60, false, withError},
        {"error text only in front of a clean frame", kIdentify, "error" + frame, 60, true, frame},
        {"cut frame containing error", kIdentify, junk + withError, 60, false, junk + withError},
        {"busy reply", kIdentify, PadWithNulls(DeviceCommand::BusyReply()), 60, false,
         PadWithNulls(DeviceCommand::BusyReply())},
        {"nothing arrived", kIdentify, {}, 60, false, {}},
    };
    for (const Row &row : rows) {
        QByteArray reply = row.reply;
        EXPECT_EQ(AcceptReply(row.request, reply, row.expectedLength), row.accepted) << row.name;
        EXPECT_EQ(reply, row.after) << row.name;
    }
}
