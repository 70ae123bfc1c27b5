#include "DiscoveryFixture.h"
#include "FakeDevice.h"
#include "KVFunctions.h"
#include "MessageBoxPrompt.h"
#include "ModuleSetupProtocol.h"
#include "WindowsColour.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTimer>

#include <sys/resource.h>

namespace {

const QString kNoneFound =
    u"QRB IP Setup: No Zarvo devices were detected on the network.\rYour network or computer may "
    "not be able to receive UDP data or may have the port 77FE blocked \rTry using the 'Manually "
    "Set IP' command from the Advanced menu"_s;

const QString kLocating = u"Locating available Zarvo devices, please wait."_s;
const QString kAllFound = u"All Zarvo devices have been found.  Click on an IP address you wish to "
                          "change.  The selected device's background will turn yellow."_s;
const QString kEnterAddress = u"Enter the new IP address and click on the green button to send "
                              "the new IP address to this Zarvo device."_s;

const QString kOverlong = u"The setup record is over 1024 bytes long; no module's is longer."_s;

bool Yellow(const QTableWidgetItem *item)
{
    return item->background().color() == QColor(255, 255, 0);
}

TEST_F(DiscoveryTest, NoModuleLeavesOneEmptyRow)
{
    EXPECT_EQ(Click(window->btnFindFinchs), QStringList{kNoneFound});
    EXPECT_EQ(GridRows(), QStringList{u"||"_s});
    EXPECT_TRUE(window->btnFindFinchs->isEnabled());
    EXPECT_FALSE(window->btnSetIP->isEnabled());
    // Greyed out, the coloured buttons keep their colour, at most half as strong.
    for (const auto &[button, colour] : {std::pair{window->btnSetIP, QColor(192, 255, 192)},
                                         std::pair{window->btnResetDHCP, QColor(255, 128, 0)}}) {
        const QColor greyed = button->palette().color(QPalette::Disabled, QPalette::Button);
        EXPECT_EQ(greyed.hsvHue(), colour.hsvHue()) << button->objectName().toStdString();
        EXPECT_GE(2 * greyed.hsvSaturation(), colour.hsvSaturation());
    }
}

TEST_F(DiscoveryTest, ModulesListedInTheOrderTheyAnswer)
{
    const auto modules = Modules(3);
    EXPECT_EQ(Click(window->btnFindFinchs), QStringList());
    EXPECT_EQ(GridRows(), QStringList({u"1|"_s + modules[0]->Address() + u"|00-20-4A-0A-3C-00"_s,
                                       u"2|"_s + modules[1]->Address() + u"|00-20-4A-0A-3C-01"_s,
                                       u"3|"_s + modules[2]->Address() + u"|00-20-4A-0A-3C-02"_s}));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(window->txtIPOctets[k]->text(), QStringList({u"127"_s, u"77"_s, u"0"_s})[k]);
    EXPECT_EQ(window->focusWidget(), window->txtIPOctets[3]);
    EXPECT_EQ(modules[0]->datagrams, QList<QByteArray>{discovery::DiscoveryQuery()});
    EXPECT_EQ(window->txtDebug->palette().color(QPalette::Base), QColor(180, 180, 180));

    // A MAC cell chooses nothing; an address cell is the only yellow one and enables all.
    ClickCell(1, 2);
    EXPECT_FALSE(window->btnResetDHCP->isEnabled());
    ClickCell(1, 1);
    ClickCell(2, 1);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(Yellow(window->Grid->item(r, 1)), r == 2) << r;
    for (const QPushButton *button : {window->btnSetIP, window->btnResetDHCP, window->btnAdvanced})
        EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(debugTexts, QStringList({kLocating, kAllFound, kEnterAddress}));
}

TEST_F(DiscoveryTest, StoreKeepsTheFirst101Replies)
{
    const auto modules = Modules(1);
    modules[0]->repliesPerQuery = 150;
    Click(window->btnFindFinchs);
    EXPECT_EQ(window->Grid->rowCount(), 101);
    EXPECT_EQ(window->Link().ReplyCount(), 100);
}

TEST_F(DiscoveryTest, SetIpRefusesBadOctetsBeforeConnecting)
{
    const auto modules = Modules(1);
    Click(window->btnFindFinchs);
    ClickCell(0, 1);
    const QString blank =
        u"QRB IP Setup: Blank entries for the IP address are not valid. Please enter a new value."_s;
    const QString over = u"QRB IP Setup: Do not set an IP octet to greater than 255. Please enter "
                         "a new value."_s;
    const QString fourth = u"QRB IP Setup: The Fourth Octet of the IP address can not be set to 0 "
                           "or 255 or greater.  These addresses are reserved by the network. "
                           "Please enter a new value."_s;
    const struct {
        QStringList typed;
        QString message;
    } rows[] = {
        {{u""_s, u"0"_s, u"0"_s, u"256"_s}, blank},
        {{u"127"_s, u"300"_s, u"0"_s, u"0"_s}, over},
        {{u"127"_s, u"0"_s, u"0"_s, u"0"_s}, fourth},
        {{u"127"_s, u"0"_s, u"0"_s, u"000"_s}, fourth},
        {{u"127"_s, u"0"_s, u"0"_s, u"2x55"_s}, fourth}, // only digits are typed
    };
    for (const auto &row : rows) {
        TypeOctets(row.typed);
        EXPECT_EQ(Click(window->btnSetIP), QStringList{row.message})
            << row.typed.join(u'.').toStdString();
        EXPECT_TRUE(window->btnSetIP->isEnabled());
    }
    EXPECT_EQ(modules[0]->connectionCount, 0);
}

TEST_F(DiscoveryTest, SetIpCancelledOrDeclinedSendsNothing)
{
    const auto modules = Modules(1);
    Click(window->btnFindFinchs);
    ClickCell(0, 1);
    TypeOctets({u"10"_s, u"1"_s, u"2"_s, u"9"_s});
    prompt.Queue(Prompt::Answer::Cancel);
    EXPECT_EQ(
        Click(window->btnSetIP),
        QStringList{u"Confirm IP Address: You have selected an IP address which is outside of "
                    "your current network.\rAre you sure you wish to use this IP address?"_s});
    EXPECT_EQ(window->txtIPOctets[1]->text() + window->txtIPOctets[3]->text(), u"779"_s);
    EXPECT_TRUE(window->btnFindFinchs->isEnabled() && window->btnSetIP->isEnabled());

    TypeOctets({u"127"_s, u"77"_s, u"0"_s, u"9"_s});
    prompt.Queue(Prompt::Answer::No);
    EXPECT_EQ(Click(window->btnSetIP),
              QStringList({u"Set IP Address?: Change the IP address of this Zarvo device from "_s +
                               modules[0]->Address() + u"\rto 127.77.0.9"_s,
                           u"Zarvo IP Setup: The IP address was not changed"_s}));
    // The question as the real box shows it: its lines on the right.
    Qt::Alignment alignment;
    QTimer::singleShot(0, [&alignment] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        alignment = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->alignment();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(MessageBoxPrompt().Ask(prompt.Messages().at(prompt.Messages().size() - 2)),
              Prompt::Answer::No);
    EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(modules[0]->connectionCount, 0);
}

TEST_F(DiscoveryTest, SetIpRewritesTheRecordAndFindsTheModuleAtItsNewAddress)
{
    const auto modules = Modules(1);
    FakeModule &module = *modules[0];
    const QString before = module.Address();
    Click(window->btnFindFinchs);
    ClickCell(0, 1);
    const QHostAddress next = NextFakeAddress();
    TypeOctets(next.toString().split(u'.'));
    // The record's line stands until the module is looked for again.
    QString lengthLine;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (window->lstdebug->count() == 1)
            lengthLine = window->lstdebug->item(0)->text();
    });
    watch.start(5);
    const QStringList shown = Click(window->btnSetIP);
    ASSERT_EQ(shown.size(), 2); // outside the network?  set it?
    EXPECT_EQ(shown[1], QString(u"Set IP Address?: Change the IP address of this Zarvo device "
                                "from "_s +
                                before + u"\rto "_s + next.toString()));
    const quint32 ip = next.toIPv4Address();
    const QByteArray address =
        QByteArray::fromHex(QByteArray::number(ip, 16).rightJustified(8, '0'));
    const QByteArray &record = module.setupRecord; // 80 81 82 ... F7
    const QByteArray expected = QByteArray::fromHex("800082C0") + address + record.mid(8, 12) +
                                QByteArray::fromHex("4C02") + record.mid(22, 46) +
                                QByteArray::fromHex("4C02") + record.mid(70);
    ASSERT_EQ(module.written.size(), 1);
    EXPECT_EQ(module.written[0].toHex(), expected.toHex());
    QStringList bytes;
    for (int k = 0; k < window->lstByte->count(); ++k)
        bytes << window->lstByte->item(k)->text();
    EXPECT_EQ(bytes.size(), 120);
    EXPECT_EQ(bytes.value(1) + u'|' + bytes.value(119), u"2: 0|120: F7"_s);
    EXPECT_TRUE(lengthLine.startsWith(u"Len: 120 ,80,0,82,C0,"_s)) << lengthLine.toStdString();
    EXPECT_EQ(GridRows(), QStringList{u"1|"_s + next.toString() + u"|00-20-4A-0A-3C-00"_s});
    EXPECT_EQ(debugTexts.mid(3),
              QStringList({u""_s,
                           u"Setting the IP address from "_s + before + u" to "_s +
                               next.toString() + u".  Please wait."_s,
                           u"Please wait while the device reboots (8 seconds)."_s,
                           u"The IP address has been changed."_s, kLocating, kAllFound}));
    // The new search chose no row: nothing to set until one is chosen.
    EXPECT_FALSE(window->btnSetIP->isEnabled());
    ClickCell(0, 1);
    EXPECT_TRUE(window->btnSetIP->isEnabled());
}

// A peer that sends without end is cut off at what a reply can hold: under a 1 GiB
// address-space cap the record is refused and the identify read fails, and nothing crashes.
TEST_F(DiscoveryTest, SetIpTakesTheWholeRecordOrNone)
{
    rlimit before{};
    getrlimit(RLIMIT_AS, &before);
    const auto restore = qScopeGuard([before] { setrlimit(RLIMIT_AS, &before); });
    const rlimit cap{std::min(rlim_t(1) << 30, before.rlim_cur), before.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &cap), 0);
    using Mode = FakeModule::RecordMode;
    const struct {
        Mode mode;
        int length;
        bool sent;
        QString message; // after the question, "%1" for the address
    } rows[] = {
        {Mode::TwoPieces, 120, true, {}},
        {Mode::Whole, 69, false, u"The setup record is 69 bytes long; at least 70 are needed."_s},
        {Mode::Whole, 1024, true, {}},
        {Mode::Whole, 1025, false, kOverlong},
        {Mode::Stream, 120, false, kOverlong},
        {Mode::Silent, 120, false,
         u"The Zarvo device at IP address %1 did not return a setup record.  Please try again."_s},
    };
    for (const auto &row : rows) {
        FakeModule module;
        ASSERT_TRUE(module.Listen(TestModulePort()));
        module.recordMode = row.mode;
        module.setupRecord = module.setupRecord.leftJustified(row.length, '\x33', true);
        const QString address = module.Address();
        const QStringList shown = Shown([&] {
            window->SetDeviceIP(address, {u"127"_s, u"77"_s, u"0"_s, u"9"_s});
        });
        ASSERT_EQ(module.written.size(), 1);
        EXPECT_EQ(module.written[0].size(), row.sent ? row.length : 0) << int(row.mode);
        const QString last =
            row.message.isEmpty() ? shown.value(0) : u"QRB IP Setup: "_s + row.message.arg(address);
        EXPECT_EQ(shown.value(shown.size() - 1), last);
        if (row.mode == Mode::Stream) {
            QByteArray reply;
            EXPECT_FALSE(discovery::ReadDeviceRecord(window->Link(), address, TestModulePort(),
                                                     QByteArray(60, '\x2A'), reply, 60));
            EXPECT_EQ(module.written, QList<QByteArray>({"", ""})); // nothing sent after them
            // No more than the system's socket buffers held when the reader hung up.
            EXPECT_LT(module.streamed, qint64(64) << 20);
        }
    }
}

TEST_F(DiscoveryTest, ResetSendsTheChosenRowsOwnReply)
{
    const auto modules = Modules(2);
    modules[1]->reply[28] = '\x42';
    modules[1]->recordMode = FakeModule::RecordMode::Silent;
    modules[1]->dhcpAddress = NextFakeAddress();
    const QString before = modules[1]->Address();
    Click(window->btnFindFinchs);
    // A failed Set IP refills the store with other bytes; the row keeps its reply.
    ClickCell(1, 1);
    TypeOctets({u"127"_s, u"77"_s, u"0"_s, u"9"_s});
    prompt.Queue(Prompt::Answer::Yes);
    Click(window->btnSetIP);
    ClickCell(0, 2);
    EXPECT_EQ(Click(window->btnResetDHCP),
              QStringList({u"QRB IP Setup: Reset the device at IP address "_s + before +
                               u" back to DHCP mode?"_s,
                           u"QRB IP Setup: This device has been reset to DHCP mode"_s}));
    ASSERT_EQ(modules[1]->datagrams.size(), 3); // query, reset, query
    EXPECT_EQ(modules[1]->datagrams[1].mid(14, 2), "\x42\x01");
    EXPECT_EQ(GridRows(), QStringList({u"1|"_s + modules[0]->Address() + u"|00-20-4A-0A-3C-00"_s,
                                       u"2|"_s + modules[1]->dhcpAddress.toString() +
                                           u"|00-20-4A-0A-42-01"_s}));
    ASSERT_EQ(window->Grid->rowCount(), 2);
    EXPECT_TRUE(Yellow(window->Grid->item(1, 1)));
    EXPECT_FALSE(window->btnResetDHCP->isEnabled());

    ClickCell(0, 1);
    EXPECT_EQ(Click(window->btnResetDHCP).value(1),
              u"QRB IP Setup: This device has not been reset to DHCP mode"_s);
}

TEST_F(DiscoveryTest, ResetNeedsAReplyToEcho)
{
    const auto modules = Modules(1);
    modules[0]->reply = "\x01";
    Click(window->btnFindFinchs);
    ClickCell(0, 1);
    EXPECT_EQ(Click(window->btnResetDHCP),
              QStringList{u"QRB IP Setup: The device at IP address "_s + modules[0]->Address() +
                          u" gave no reply to reset it with.  Please find the devices again."_s});
    EXPECT_EQ(modules[0]->datagrams.size(), 1);
}

TEST_F(DiscoveryTest, NothingElseStartsWhileAnOperationWaits)
{
    const auto modules = Modules(1);
    QList<bool> enabled;
    QTimer::singleShot(50, window.get(), [&] {
        for (QAction *command :
             {window->mnuAdvancedNetwork, window->mnuManual, window->mnuTestCommunications}) {
            enabled << command->isEnabled();
            command->trigger();
        }
        enabled << window->btnFindFinchs->isEnabled();
    });
    EXPECT_EQ(Click(window->btnFindFinchs), QStringList());
    EXPECT_EQ(enabled, QList<bool>({false, false, false, false}));
    EXPECT_TRUE(window->mnuManual->isEnabled());
}

TEST_F(DiscoveryTest, ClosingDuringAWaitEndsTheOperationQuietly)
{
    const auto modules = Modules(1);
    FakeModule &module = *modules[0];
    Click(window->btnFindFinchs);
    ClickCell(0, 1);
    TypeOctets({u"127"_s, u"77"_s, u"0"_s, u"9"_s});
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, window.get(), [&] {
        if (!module.written.isEmpty())
            window->close();
    });
    closer.start(5);
    EXPECT_EQ(Click(window->btnSetIP).size(), 1); // the question only
    QTest::qWait(50);
    EXPECT_EQ(module.written, QList<QByteArray>{""});
    EXPECT_EQ(quits, 1);
}

// Every wait lasts at least its stated time, run after run: a coarse timer may end one up
// to 5 % early. Each row stretches its own waits to 21 ms, past the 20 ms up to which Qt
// keeps even a coarse timer precise, and keeps the rest at 1 ms; the bound adds up all the
// waits the operation makes.
TEST_F(DiscoveryTest, EveryWaitLastsAtLeastItsStatedTime)
{
    for (const char *name : {"tmrWatchDog", "tmrTenth"})
        EXPECT_EQ(window->findChild<QTimer *>(QLatin1String(name))->timerType(), Qt::PreciseTimer);

    FakeModule module; // takes its record back at the address it has
    ASSERT_TRUE(module.Listen(TestModulePort()));
    FakeDevice device;
    device.SetKnob(DeviceCommand::Identify(), {.behaviour = FakeDevice::Behaviour::Silent});
    ASSERT_TRUE(device.Listen());
    using discovery::Durations;
    const milliseconds stated(21);
    const milliseconds quick(1);
    const struct {
        const char *operation;
        std::vector<milliseconds Durations::*> stretched;
        int quickWaits;
        std::function<void()> act;
    } rows[] = {
        {"discovery", {&Durations::discoveryWait}, 1, [&] { window->Discover(); }},
        {"setup record and restart",
         {&Durations::setupRecordWait, &Durations::restartWait},
         2,
         [&] { window->SetDeviceIP(module.Address(), module.Address().split(u'.')); }},
        {"DHCP restart",
         {&Durations::restartWait, &Durations::discoveryWait},
         2,
         [&] {
             ClickCell(0, 1);
             window->ResetToDHCP();
         }},
        {"identify", {&Durations::identifyLimit}, 1, [&] { window->TestDevice(device.Address()); }},
    };
    for (const auto &row : rows) {
        NetworkSettings network = LoopbackNetwork();
        for (milliseconds Durations::*wait :
             {&Durations::discoveryWait, &Durations::setupRecordWait, &Durations::restartWait,
              &Durations::udpSwitchWait, &Durations::identifyPause, &Durations::identifyLimit})
            network.durations.*wait = quick;
        for (milliseconds Durations::*wait : row.stretched)
            network.durations.*wait = stated;
        OpenWindow(network);
        window->Discover(); // a row to choose
        const qint64 least = (stated * row.stretched.size() + quick * row.quickWaits).count();
        for (int run = 0; run < 20; ++run) {
            QElapsedTimer elapsed;
            elapsed.start();
            row.act();
            EXPECT_GE(elapsed.nsecsElapsed(), least * 1'000'000) << row.operation << " " << run;
        }
    }
}

} // namespace
