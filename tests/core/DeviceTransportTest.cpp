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

using namespace Qt::StringLiterals;
using Behaviour = FakeDevice::Behaviour;

namespace {

const QByteArray kIdentify = PadWithNulls(DeviceCommand::Identify());
// The downloads by their bytes, so a wrong header constant cannot pass as a download.
const QByteArray kHiLo = QByteArray::fromHex("DECADE08").append(56, '\0');
const QByteArray kDataLog = QByteArray::fromHex("DECADE04").append(56, '\0');
// What the fake device answers to kIdentify: family 5, sub-model 7, revision 25.
const QByteArray kIdentity =
    PadWithNulls(DeviceCommand::Identify() + QByteArray::fromHex("000500070019"));

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

    bool Exchange(const QByteArray &request, QByteArray &reply, bool closeAfter = true,
                  const QString &address = {})
    {
        return ReadFromKV(address.isEmpty() ? device.Address() : address, kDevicePort, request,
                          reply, kFrameLength, ProgressForm::None, closeAfter);
    }

    FakeDevice device;
};

TEST_F(DeviceTransportTest, SplitReplyIsTakenWholeOnceAllSixtyBytesWait)
{
    device.SetKnob(DeviceCommand::Identify(), {Behaviour::Split, 0, 30, 100});

    QByteArray reply;
    EXPECT_TRUE(Exchange(kIdentify, reply));
    EXPECT_EQ(reply, kIdentity);
    EXPECT_EQ(LinkState().LastReply, reply);
    EXPECT_EQ(device.Requests(), QList<QByteArray>{kIdentify});
    EXPECT_EQ(mainForm.lamp, (QList<qint32>{kLampGreen, kLampGrey}));
    EXPECT_EQ(mainForm.hourglass, (QList<bool>{true, false}));
    EXPECT_EQ(mainForm.progressMaxima, (QList<int>{25, 10, 20, 1})); // connect, reply, close, pause
    EXPECT_EQ(board.Lines(), QStringList{u"Connection closed"_s});
    EXPECT_EQ(link->Winsock().CurrentState(), SocketControl::State::Closed);
}

TEST_F(DeviceTransportTest, ShortReplyTimesOutEmptyAndIsDiscardedBeforeTheNextRequest)
{
    device.SetKnob(DeviceCommand::Identify(), {Behaviour::Short, 0, 30, 50, {}, 1});

    QByteArray reply = "left over";
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(Exchange(kIdentify, reply, false));
    EXPECT_GE(waited.elapsed(), 950);
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_EQ(mainForm.lamp.last(), kLampGrey);

    // The 59 bytes still wait in the open connection; the next reply must not start with them.
    EXPECT_TRUE(Exchange(kIdentify, reply));
    EXPECT_EQ(reply, kIdentity);
    EXPECT_EQ(device.ConnectionCount(), 1);
}

// Callers test a refused reply for the busy answer, so it is handed back as it came.
TEST_F(DeviceTransportTest, RefusedRepliesAreKeptForTheCallerToExamine)
{
    const struct {
        const char *name;
        Behaviour behaviour;
        QByteArray errorText;
    } rows[] = {
        {"busy", Behaviour::Busy, {}},
        {"wrong echo", Behaviour::WrongEcho, {}},
        {"ERROR", Behaviour::ErrorText, "ERROR"},
        {"eRrOr in a name", Behaviour::ErrorText, "Probe eRrOr"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        device.SetKnob(DeviceCommand::Identify(), {row.behaviour, 0, 30, 50, row.errorText});
        QByteArray reply;
        EXPECT_FALSE(Exchange(kIdentify, reply));
        EXPECT_EQ(reply.size(), kFrameLength);
        EXPECT_EQ(IsBusyReply(reply), row.behaviour == Behaviour::Busy);
        EXPECT_TRUE(reply.contains(row.errorText));
    }
}

TEST_F(DeviceTransportTest, HighLowDownloadIsAcceptedByLengthWhileTheByteCountIsShown)
{
    LinkState().ActiveForm = AppForm::TreeConfiguration;
    treeForm.serverName = u"Cold Room"_s;
    device.SetKnob(DeviceCommand::DownloadHiLo(), {Behaviour::Split, 0, 4000, 100});
    ASSERT_EQ(device.hiLo.size(), 12775);

    QByteArray reply;
    EXPECT_TRUE(ReadFromKV(device.Address(), kDevicePort, kHiLo, reply, 12775,
                           ProgressForm::TreeConfiguration, true));
    EXPECT_EQ(reply, device.hiLo);
    EXPECT_EQ(treeForm.progressMaxima, (QList<int>{25, 600, 20, 1})); // 60 s for long replies
    EXPECT_FALSE(treeForm.progressShown);
    EXPECT_EQ(treeForm.hourglass, (QList<bool>{true, false}));

    const QString prefix = u"Downloading log records from Cold Room  Total bytes Received: "_s;
    ASSERT_GE(treeForm.serverErrorTexts.size(), 2);
    qint64 previous = -1;
    for (const QString &text : treeForm.serverErrorTexts) {
        ASSERT_TRUE(text.startsWith(prefix) && text.endsWith(u" of 12775 bytes"_s))
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
    device.SetKnob(DeviceCommand::Identify(), {Behaviour::Silent});

    QElapsedTimer waited;
    waited.start();
    const double cpuBefore = ProcessCpuSeconds();
    QByteArray reply;
    EXPECT_FALSE(Exchange(kIdentify, reply, false));
    const double cpu = ProcessCpuSeconds() - cpuBefore;

    EXPECT_EQ(Config().TCPTimeOut, 3);
    EXPECT_GE(waited.elapsed(), 3000);
    EXPECT_EQ(mainForm.progressMaxima, (QList<int>{25, 30}));
    // The ticker fills the bar up to, not past, its maximum; the end of the wait empties it.
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
    device.SetKnob(DeviceCommand::Identify(), {Behaviour::Silent});
    QTimer::singleShot(200, [] { LinkState().Running = false; });

    QElapsedTimer waited;
    waited.start();
    QByteArray reply;
    EXPECT_FALSE(Exchange(kIdentify, reply, false));
    EXPECT_LT(waited.elapsed(), 2000);

    waited.restart();
    EXPECT_FALSE(OpenWinSocket(UnusedLoopbackAddress(), kDevicePort));
    CloseWinSocket();
    EXPECT_FALSE(Exchange(kIdentify, reply));
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
    EXPECT_TRUE(
        board.Lines().contains(u"Connection could not be established with IP Address "_s + nobody));
    // The "Connection " line then takes over this line, whose text holds its key.
    EXPECT_TRUE(board.history.contains(
        u"Communication ErrorError Number: 10061.  Description Connection refused"_s));

    // A port past 65535 is refused, not wrapped round to one that might answer.
    EXPECT_FALSE(ReadFromKV(device.Address(), 65536 + kDevicePort, kIdentify, reply, kFrameLength,
                            ProgressForm::None, true));
    EXPECT_EQ(device.ConnectionCount(), 0);
    EXPECT_EQ(ErrorRows(),
              QStringList{u"myFunction=OpenWinSocket()|Cause=port 75537 is out of range"_s});
}

// A connection left open must never carry requests meant for another device.
TEST_F(DeviceTransportTest, OpenConnectionServesOnlyTheDeviceItLeadsTo)
{
    FakeDevice first;
    FakeDevice second;
    ASSERT_TRUE(first.Listen() && second.Listen());

    const QByteArray readings = PadWithNulls(DeviceCommand::ReadCurrentData());
    QByteArray reply;
    EXPECT_TRUE(Exchange(kIdentify, reply, false, first.Address()));
    // The same address typed with spaces round it is still the same device.
    EXPECT_TRUE(Exchange(kIdentify, reply, false, u" "_s + first.Address() + u" "_s));
    EXPECT_EQ(first.ConnectionCount(), 1);
    EXPECT_TRUE(Exchange(readings, reply, true, second.Address()));
    EXPECT_TRUE(reply.startsWith(DeviceCommand::ReadCurrentData()));
    EXPECT_EQ(second.Requests(), QList<QByteArray>{readings});
    EXPECT_EQ(first.Requests(), (QList<QByteArray>{kIdentify, kIdentify}));
}

TEST_F(DeviceTransportTest, PeerCloseIsNoCommunicationErrorAndTheNextExchangeReconnects)
{
    ASSERT_TRUE(OpenWinSocket(device.Address(), kDevicePort));
    device.DropConnections();
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return link->Winsock().CurrentState() == SocketControl::State::Closed; }, 2000));
    for (const QString &line : board.history)
        EXPECT_FALSE(line.startsWith(u"Communication Error"_s)) << line.toStdString();

    QByteArray reply;
    EXPECT_TRUE(Exchange(kIdentify, reply));
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
    EXPECT_EQ(ErrorRows(),
              QStringList{u"myFunction=Error in ReadFromKV is |Cause=name box gone"_s});
}

TEST(AcceptReplyTest, RulesInOrder)
{
    const QByteArray frame = kIdentity;
    const QByteArray junk(7, 'x');
    const QByteArray withError = PadWithNulls(DeviceCommand::Identify() + "ERROR");
    const QByteArray busy = PadWithNulls(DeviceCommand::BusyReply());
    const QByteArray hiLo(12775, 'x');
    // A name page (names at bytes 9-28 and 30-49) that another tool named "Terror Freezer".
    const TextFields names = {{9, 20}, {30, 20}};
    const QByteArray readPage = PadWithNulls(DeviceCommand::ReadPage(2));
    QByteArray page = readPage;
    page.replace(8, 20, "Terror Freezer      ");
    page.replace(29, 20, "Error LED rack      ");
    QByteArray store = page;
    store.replace(0, 3, DeviceCommand::StorePage());
    const auto with = [&page](int at, const QByteArray &text) {
        return QByteArray(page).replace(at - 1, text.size(), text);
    };
    const struct {
        const char *name;
        QByteArray request, reply;
        int expectedLength;
        bool accepted;
        QByteArray after;
        TextFields textFields = {};
    } rows[] = {
        {"store echoed byte for byte, error in a name", store, store, 60, true, store},
        {"store echo one byte off", store, store.left(59) + "x", 60, false, store.left(59) + "x"},
        {"error only in the names", readPage, page, 60, true, page, names},
        {"the same without the names' places", readPage, page, 60, false, page},
        {"error in the names and beyond them", readPage, with(50, "ERROR"), 60, false,
         with(50, "ERROR"), names},
        {"error across a name's edge", readPage, with(5, "ERROR"), 60, false, with(5, "ERROR"),
         names},
        {"error ending at a name's end", readPage, with(24, "ERROR"), 60, true, with(24, "ERROR"),
         names},
        {"error one byte beyond a name", readPage, with(25, "ERROR"), 60, false,
         with(25, "ERROR"), names},
        {"error across two adjacent names", readPage, with(27, "ERROR"), 60, true,
         with(27, "ERROR"), {{9, 20}, {29, 20}}},
        {"page further on, error in its name", readPage, junk + page, 60, true, page, names},
        {"page further on, error beyond its names", readPage, junk + with(50, "error"), 60, false,
         junk + with(50, "error"), names},
        {"echo, longer than expected", kIdentify, frame + "zz", 60, true, frame + "zz"},
        {"echo, too short", kIdentify, frame.left(59), 60, false, frame.left(59)},
        {"high/low by length alone", kHiLo, hiLo, 12775, true, hiLo},
        {"high/low one byte short", kHiLo, hiLo.left(12774), 12775, false, hiLo.left(12774)},
        {"data log by length alone", kDataLog, hiLo.left(2300), 2300, true, hiLo.left(2300)},
        {"data log one byte short", kDataLog, hiLo.left(2299), 2300, false, hiLo.left(2299)},
        {"header further on, one frame after it", kIdentify, junk + frame, 60, true, frame},
        {"header further on, 59 bytes after it", kIdentify, junk + frame.left(59), 60, false,
         junk + frame.left(59)},
        {"header further on, 61 bytes after it", kIdentify, junk + frame + "z", 60, false,
         junk + frame + "z"},
        {"echo containing error", kIdentify, withError, 60, false, withError},
        {"error text only in front of a clean frame", kIdentify, "error" + frame, 60, true, frame},
        {"busy reply", kIdentify, busy, 60, false, busy},
    };
    for (const auto &row : rows) {
        QByteArray reply = row.reply;
        EXPECT_EQ(AcceptReply(row.request, reply, row.expectedLength, row.textFields),
                  row.accepted)
            << row.name;
        EXPECT_EQ(reply, row.after) << row.name;
    }
}
