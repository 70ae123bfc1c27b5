#include "MainWindowFixture.h"

#include "DeviceTransport.h"
#include "MessageBoxPrompt.h"
#include "frmLogin.h"

#include <QAction>
#include <QLineSeries>
#include <QProgressBar>
#include <QSystemTrayIcon>

const QString kCaption = QStringLiteral("Zarvo Vantrel Rev 4.2.4");
const QString kLoggedInCaption = kCaption + QStringLiteral("    ADMINISTRATOR LOGGED IN");

using frmMainStartUp = MainWindowFixture;

TEST_F(frmMainStartUp, FirstStartWithoutSettingsDatabaseOrSensors)
{
    ASSERT_TRUE(QFile::remove(File(QStringLiteral("zarvo.mdb"))));
    Load();
    EXPECT_EQ(window->windowTitle(), kCaption);
    EXPECT_EQ(BoardLines(),
              Strings({"Configuration file not found.  Please run configuration",
                       "Please click on Setup and then Configure Zarvo Vantrel and verify all "
                       "parameters.",
                       "Backup copy of log files stored to: ",
                       "zarvo.mdb is not present in the application directory.  Vantrel requires "
                       "this file.",
                       "There are no sensors programmed yet"}));
    const Prompt::Message missing{
        QStringLiteral("The program file zarvo.mdb is not present in the ") + Folder() +
            QStringLiteral(" directory.  Please copy zarvo.mdb into this directory before "
                           "running this program."),
        Prompt::Buttons::Ok, Prompt::Icon::None, QStringLiteral("Zarvo Vantrel")};
    EXPECT_EQ(prompt->Messages(), QList<Prompt::Message>{missing});
    EXPECT_TRUE(LinkState().Running);
}

TEST_F(frmMainStartUp, ActivationFollowsTheSettings)
{
    struct Row {
        const char *name;
        int updateRate, tickLimit, gridColour, back, text;
        bool bold;
    };
    // In order: each row's settings replace the last row's.
    const Row rows[] = {
        {"5 s polls every tick; white grid", 5, 1, 0, 0xFFFFFF, 0, false},
        {"7 s every tick; yellow grid", 7, 1, 1, 0x00FFFF, 0, false},
        {"8 s every second tick; blue grid, white bold text", 8, 2, 2, 0xFF0000, 0xFFFFFF, true},
        {"12 s every second tick; white again after blue", 12, 2, 0, 0xFFFFFF, 0, false},
        {"13 s every third tick; unknown colour is white", 13, 3, 3, 0xFFFFFF, 0, false},
        {"60 s every twelfth tick", 60, 12, 0, 0xFFFFFF, 0, false},
        {"largest rate", 32767, 6553, 0, 0xFFFFFF, 0, false},
    };
    AddServerWithSensors(3);
    Load();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        WriteSettings([&](ConfigRecord &config) {
            config.UpdateRate = qint16(row.updateRate);
            config.StatusGridColour = qint16(row.gridColour);
            config.LogDir = Folder();
        });
        window->Form_Activate();
        EXPECT_EQ(BoardLines(),
                  QStringList({QStringLiteral("Backup copy of log files stored to: ") + Folder(),
                               QStringLiteral("Update Rate %1 seconds").arg(row.updateRate)}));
        EXPECT_EQ(window->TickLimit(), row.tickLimit);
        EXPECT_EQ(window->gridServerStatus->GridBackColour(), row.back);
        EXPECT_EQ(window->gridServerStatus->GridTextColour(), row.text);
        EXPECT_EQ(window->gridServerStatus->font().bold(), row.bold);
    }
    EXPECT_EQ(window->tmrInterupt->interval(), 5000);
    EXPECT_EQ(window->tmrInterupt->timerType(), Qt::PreciseTimer) << "never a tick early";
}

using frmMainLogIn = MainWindowFixture;

TEST_F(frmMainLogIn, AdministratorGuardsSetupUntilLoggedInThroughTheRealBox)
{
    NewWindow(true);
    AddServerWithSensors(1);
    WriteSettings(SetAdministrator);
    Load();
    EXPECT_FALSE(window->mnuTree->isEnabled() || window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text() + window->windowTitle(),
              QStringLiteral("Log In") + kCaption);

    QTimer::singleShot(0, window.get(), [] {
        auto *box = qobject_cast<frmLogin *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QTest::keyClicks(box->txtUserName, QStringLiteral("boss"));
        QTest::keyClicks(box->txtPassword, QStringLiteral("secret"));
        QTest::mouseClick(box->cmdOK, Qt::LeftButton);
    });
    window->mnuLogIn->trigger();
    EXPECT_TRUE(window->mnuTree->isEnabled() && window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text() + window->windowTitle(),
              QStringLiteral("Log Out") + kLoggedInCaption);

    // The real settings dialog, with the clock stopped while it is open.
    QString closed;
    CloseNextModal(&closed);
    bool clockRan = true;
    QTimer::singleShot(0, window.get(), [&] { clockRan = window->tmrInterupt->isActive(); });
    window->mnuOrganization->trigger();
    EXPECT_EQ(closed, QStringLiteral("frmConfiguration"));
    EXPECT_FALSE(clockRan);
    EXPECT_EQ(window->ActivationCount(), 3);
    EXPECT_TRUE(window->tmrInterupt->isActive());

    window->mnuLogIn->trigger();
    EXPECT_FALSE(window->mnuTree->isEnabled() || window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text() + window->windowTitle(),
              QStringLiteral("Log In") + kCaption);
    EXPECT_FALSE(window->LoginSucceeded());
}

TEST_F(frmMainLogIn, ShutDownAsksWhatItMustAndClosesOnlyWhenAllowed)
{
    struct Row {
        const char *name;
        bool administrator, loginAnswer;
        qint16 noShutdownPrompt;
        Prompt::Answer answer;
        bool question, closed;
    };
    const Row rows[] = {
        // name, administrator, log-in succeeds, no prompt, answer, question asked, closed
        {"confirmed", false, false, 0, Prompt::Answer::Yes, true, true},
        {"not confirmed", false, false, 0, Prompt::Answer::No, true, false},
        {"no prompt", false, false, 1, Prompt::Answer::No, false, true},
        {"log-in fails", true, false, 0, Prompt::Answer::Yes, false, false},
        {"log-in, confirmed", true, true, 0, Prompt::Answer::Yes, true, true},
        {"log-in, not confirmed", true, true, 0, Prompt::Answer::No, true, false},
        {"log-in, no prompt", true, true, 1, Prompt::Answer::No, false, true},
    };
    const Prompt::Message login{
        QStringLiteral("Vantrel is password protected.  Please enter your username and password "
                       "to continue shutting down Vantrel"),
        Prompt::Buttons::Ok, Prompt::Icon::None, QStringLiteral("Zarvo Vantrel")};
    const Prompt::Message question{
        QStringLiteral("WARNING, closing Vantrel will halt the collection of temperature "
                       "data.\r\n\r\nClick YES to close this program, or NO to leave the "
                       "program running."),
        Prompt::Buttons::YesNo, Prompt::Icon::Critical, QStringLiteral("Close Zarvo Vantrel?")};
    AddServerWithSensors(1);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        NewWindow();
        WriteSettings([&row](ConfigRecord &config) {
            if (row.administrator)
                SetAdministrator(config);
            config.NoShutdownPrompt = row.noShutdownPrompt;
        });
        Load();
        loginAnswer = row.loginAnswer;
        loginBoxes = quits = 0;
        Answer({row.administrator ? Prompt::Answer::Ok : row.answer, row.answer});

        EXPECT_EQ(window->close(), row.closed);
        QList<Prompt::Message> asked;
        if (row.administrator)
            asked << login;
        if (row.question)
            asked << question;
        EXPECT_EQ(prompt->Messages(), asked);
        EXPECT_EQ(LinkState().Running, !row.closed);
        EXPECT_EQ(window->tmrInterupt->isActive(), !row.closed);
        EXPECT_EQ(window->trayIcon->isVisible(), !row.closed);
        EXPECT_EQ(quits, row.closed ? 1 : 0);
        // A log-in that succeeded before a refused close shows in the caption.
        if (!row.closed) {
            EXPECT_EQ(window->windowTitle(), row.loginAnswer ? kLoggedInCaption : kCaption);
        }
    }
}

using frmMainPollClock = MainWindowFixture;

TEST_F(frmMainPollClock, AboutAndRefreshLeaveTheClockAsActivationWants)
{
    // Without a named sensor activation keeps the clock stopped.
    for (const bool sensors : {false, true}) {
        if (sensors)
            AddServerWithSensors(1);
        window->Form_Activate();
        QString closed;
        CloseNextModal(&closed);
        window->mnuAbout->trigger();
        EXPECT_EQ(closed, QStringLiteral("frmAbout"));
        EXPECT_EQ(window->tmrInterupt->isActive(), sensors) << "About; sensors " << sensors;
        QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
        EXPECT_EQ(window->tmrInterupt->isActive(), sensors) << "Refresh; sensors " << sensors;
    }
}

TEST_F(frmMainPollClock, MessageBoxesAndOtherWindowsDoNotReactivate)
{
    Load();
    prompt.reset();
    MessageBoxPrompt boxes;
    Prompt::Install(&boxes);
    QWidget other; // as another program's window, for an alt-tab there and back
    for (int round = 0; round < 2; ++round) {
        CloseNextModal();
        Prompt::Show(QStringLiteral("A message over the main window"));
        other.show();
        other.activateWindow();
        QApplication::processEvents();
        window->activateWindow();
        QApplication::processEvents();
    }
    Prompt::Install(nullptr);
    EXPECT_EQ(window->ActivationCount(), 1);
}

TEST_F(frmMainPollClock, SocketErrorsShareOneLineAndAPeerCloseShowsNone)
{
    Load();
    SocketControl &socket = DeviceLink::Instance()->Winsock();
    int errors = 0;
    QObject::connect(&socket, &SocketControl::Error, window.get(), [&errors] { ++errors; });
    for (int attempt = 1; attempt <= 2; ++attempt) {
        socket.Connect(UnusedLoopbackAddress(), kDevicePort);
        ASSERT_TRUE(QTest::qWaitFor([&] { return errors == attempt; }));
        CloseWinSocket();
    }
    const QString errorLine = QStringLiteral("Communication Error");
    ASSERT_EQ(BoardLines().filter(errorLine).size(), 1);
    EXPECT_TRUE(BoardLines().filter(errorLine).first().startsWith(
        QStringLiteral("Communication ErrorError Number: 10061.  Description ")));

    InstalledStatusBoard()->Clear();
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    ASSERT_TRUE(OpenWinSocket(device.Address(), kDevicePort));
    device.DropConnections();
    EXPECT_TRUE(QTest::qWaitFor(
        [&socket] { return socket.CurrentState() == SocketControl::State::Closed; }));
    EXPECT_TRUE(BoardLines().filter(errorLine).isEmpty());
}

using frmMainViews = MainWindowFixture;

TEST_F(frmMainViews, StatusGridLayout)
{
    Load();
    // The laid-out widths, as on a screen wide enough for them.
    window->resize(1100, 720);
    const StatusGridTable &grid = *window->gridServerStatus;
    const int twips[] = {2500, 2500, 1300, 500, 2500, 1000};
    ASSERT_EQ(grid.columnCount(), 6);
    QStringList headings;
    for (int c = 0; c < 6; ++c) {
        headings << grid.Cell(0, c);
        EXPECT_NEAR(grid.columnWidth(c), twips[c] * grid.columnWidth(0) / 2500.0, 1) << c;
        EXPECT_LT(grid.fontMetrics().horizontalAdvance(headings.last()), grid.columnWidth(c));
    }
    EXPECT_EQ(headings, Strings({"Device", "Sensor", "Reading", "Units", "Status", "Sensor ID"}));
    EXPECT_EQ(window->Grid2->Cell(0, StatusColumn::Status), QStringLiteral("Status"));
    EXPECT_LT(grid.fontMetrics().horizontalAdvance(QStringLiteral("%RH")),
              grid.columnWidth(StatusColumn::Units));
}

// A status line changed in place is repainted alone unless it no longer fits.
TEST_F(frmMainViews, StatusLinesAreNeverCutShort)
{
    Load();
    const StatusList &list = *window->lstStatus;
    for (const QString &detail : {QStringLiteral("closed"), QString(300, u'x'),
                                  QStringLiteral("closed"), QString(400, u'y')}) {
        SetStatusMessage(QStringLiteral("Connection "), detail);
        QApplication::processEvents();
        const QModelIndex line = list.model()->index(int(BoardLines().size()) - 1, 0);
        EXPECT_EQ(line.data().toString(), QStringLiteral("Connection ") + detail);
        EXPECT_GE(list.visualRect(line).width(), list.sizeHintForIndex(line).width());
    }
}

TEST_F(frmMainViews, SplitScreenSortsNormalRowsLeftAndTheRestRight)
{
    Load();
    window->resize(900, 600);
    StatusGridTable &grid = *window->gridServerStatus;
    grid.Configure(4);
    const std::pair<const char *, int> statuses[] = {{"Normal", kColourGreen},
                                                     {"ALARM: High Limit", kColourRed},
                                                     {"NO DATA", kColourYellow},
                                                     {"Normal", kColourGreen}};
    for (int r = 1; r <= 4; ++r) {
        grid.SetCell(r, StatusColumn::Sensor, QStringLiteral("Sensor %1").arg(r));
        grid.SetCell(r, StatusColumn::Status, QString::fromLatin1(statuses[r - 1].first));
        grid.SetCellBackColour(r, StatusColumn::Status, statuses[r - 1].second);
    }
    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(window->Grid2->isVisible() && window->Grid3->isVisible());
    EXPECT_FALSE(window->lstStatus->isVisible());
    EXPECT_EQ(window->btnMax->text(), QStringLiteral("Min"));
    EXPECT_EQ(GridRows(*window->Grid2, StatusColumn::Sensor),
              Strings({"Sensor 1", "Sensor 4", ""}));
    EXPECT_EQ(GridRows(*window->Grid3, StatusColumn::Sensor),
              Strings({"Sensor 2", "Sensor 3", ""}));
    int total = 0;
    for (int c = 0; c < StatusColumn::Count; ++c) {
        EXPECT_EQ(window->Grid2->CellBackColour(1, c), kColourGreen);
        EXPECT_EQ(window->Grid3->CellBackColour(1, c), kColourRed);
        EXPECT_EQ(window->Grid3->CellBackColour(2, c), kColourYellow);
        total += window->Grid3->columnWidth(c);
    }
    EXPECT_LE(total, window->Grid3->viewport()->width()) << "fits its half";
    EXPECT_GT(window->Grid3->columnWidth(StatusColumn::Status),
              window->Grid3->fontMetrics().horizontalAdvance(QStringLiteral("ALARM: High")));
    // Shown, they are refilled after each cycle.
    grid.SetCellBackColour(4, StatusColumn::Status, kColourRed);
    grid.FillInGrids();
    EXPECT_EQ(GridRows(*window->Grid3, StatusColumn::Sensor),
              Strings({"Sensor 2", "Sensor 3", "Sensor 4", ""}));

    // A double click or the Status menu leaves the split screen.
    for (const std::function<void()> &leave :
         {std::function<void()>(
              [this] { QTest::mouseDClick(window->Grid2->viewport(), Qt::LeftButton); }),
          std::function<void()>([this] { window->mnuStatusFrame->trigger(); })}) {
        if (window->Grid2->isHidden())
            QTest::mouseClick(window->btnMax, Qt::LeftButton);
        ASSERT_TRUE(window->Grid2->isVisible());
        leave();
        EXPECT_FALSE(window->Grid2->isVisible() || window->Grid3->isVisible());
        EXPECT_TRUE(window->lstStatus->isVisible());
        EXPECT_EQ(window->btnMax->text(), QStringLiteral("Split Screen"));
    }
}

TEST_F(frmMainViews, MinimiseHidesIntoTheTrayOnlyWhereThereIsOne)
{
    Load();
    window->showMinimized();
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible() && window->isMinimized()) << "no tray";

    window->showNormal();
    window->TrayAvailable = [] { return true; };
    window->mnuAlarmFrame->trigger();
    window->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->isHidden(); }));
    EXPECT_TRUE(LinkState().Running);
    window->mPopRestore->trigger();
    EXPECT_TRUE(window->isVisible() && window->isMaximized());
    EXPECT_TRUE(window->frmStatus->isVisible()) << "back to the status view";
}

// Real cycles against a device on loopback that answers each identify request late.
class frmMainCycle : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(device.Listen());
        FakeDevice::Knob late;
        late.delayMs = 400;
        device.SetKnob(DeviceCommand::Identify(), late);
        AddServerWithSensors(1, device.Address(), 1);
    }

    void Start(const std::function<void(ConfigRecord &)> &more = [](ConfigRecord &) {})
    {
        WriteSettings([&more](ConfigRecord &config) {
            FastPolling(config);
            config.NoShutdownPrompt = 1;
            more(config);
        });
        Load();
    }

    // Runs `during` while the cycle that `start` begins waits for the device.
    void DuringCycle(const std::function<void()> &start, const std::function<void()> &during)
    {
        QTimer::singleShot(150, window.get(), [during] {
            ASSERT_TRUE(Polling().InInterrupt) << "the cycle is over";
            during();
        });
        start();
    }

    FakeDevice device;
};

TEST_F(frmMainCycle, EverySecondTickRunsACycleThatShieldsItsConnectionAndDefersActivation)
{
    Start([](ConfigRecord &config) {
        config.UpdateRate = 10;
        SetAdministrator(config);
    });
    const auto lamp = [this] {
        return WindowsColourValue(window->shpGo->palette().color(QPalette::Window));
    };
    int opened = 0;
    window->RunConfiguration = window->RunDeviceManager = [&opened] { ++opened; };
    window->tmrInterupt_Timer();
    EXPECT_TRUE(device.Requests().isEmpty());
    DuringCycle(
        [this] { window->tmrInterupt_Timer(); },
        [&] {
            EXPECT_FALSE(window->gridServerStatus->isEnabled());
            EXPECT_FALSE(window->tmrInterupt->isActive());
            EXPECT_EQ(lamp(), kLampGreen);
            EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
            EXPECT_TRUE(window->ProgressBar->isVisible());
            // None of these may start a second exchange or restart the clock.
            QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
            loginAnswer = true;
            for (QAction *entry : {window->mnuLogIn, window->mnuTree, window->mnuOrganization})
                entry->trigger();
            loginAnswer = false;
            EXPECT_FALSE(window->close()) << "the log-in box fails";
            EXPECT_EQ(window->ActivationCount(), 1);
        });
    EXPECT_EQ(device.Requests().size(), 2);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(loginBoxes, 1);
    EXPECT_EQ(window->ActivationCount(), 2);
    EXPECT_FALSE(Polling().InInterrupt);
    EXPECT_TRUE(window->gridServerStatus->isEnabled());
    EXPECT_TRUE(window->tmrInterupt->isActive());
    EXPECT_EQ(lamp(), kLampGrey);
    EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
    window->tmrInterupt_Timer();
    EXPECT_EQ(device.Requests().size(), 2) << "the count starts again after a cycle";

    // A rate lowered below the ticks already counted takes effect at the next tick, and the
    // clock is armed again after that cycle as after every other.
    WriteSettings([](ConfigRecord &config) {
        FastPolling(config);
        SetAdministrator(config);
    });
    window->Form_Activate();
    window->tmrInterupt_Timer();
    EXPECT_EQ(device.Requests().size(), 4);
    EXPECT_TRUE(window->tmrInterupt->isActive());
    window->ShowProgress(10);
    window->SetProgressValue(3);
    EXPECT_EQ(window->ProgressBar->value(), 3);
    EXPECT_TRUE(window->ProgressBar->updatesEnabled()) << "the bar paints again";
}

TEST_F(frmMainCycle, CloseDuringACycleLeavesTheClockOff)
{
    Start();
    const std::pair<const char *, std::function<void()>> cycles[] = {
        {"Refresh", [this] { QTest::mouseClick(window->btnUpdate, Qt::LeftButton); }},
        {"tick", [this] { window->tmrInterupt_Timer(); }},
    };
    for (const auto &[name, start] : cycles) {
        SCOPED_TRACE(name);
        window->show();
        window->Form_Activate();
        DuringCycle(start, [this] { EXPECT_TRUE(window->close()); });
        EXPECT_FALSE(LinkState().Running);
        EXPECT_FALSE(window->tmrInterupt->isActive());
        EXPECT_FALSE(Polling().InInterrupt);
    }
    EXPECT_EQ(quits, 2);
}

TEST_F(frmMainCycle, ExamineFreezesTheTrendUntilContinueOrTheNextActivation)
{
    Start();
    window->mnuTrending->trigger();
    for (const char *text : {"Continue", "Examine"}) {
        QTest::mouseClick(window->btnFreezeExamine, Qt::LeftButton);
        EXPECT_EQ(window->btnFreezeExamine->text(), QString::fromLatin1(text));
        window->tmrInterupt_Timer();
    }
    ASSERT_EQ(window->XYChart4->LineCount(), 1);
    EXPECT_EQ(window->XYChart4->Segments(0).first()->count(), 1) << "none while examining";
    QTest::mouseClick(window->btnFreezeExamine, Qt::LeftButton);
    window->Form_Activate();
    EXPECT_EQ(window->btnFreezeExamine->text(), QStringLiteral("Examine"));
    EXPECT_TRUE(Polling().TrendingLive);
    for (int cycle = 0; cycle < 3; ++cycle)
        window->tmrInterupt_Timer();
    EXPECT_EQ(window->XYChart4->Segments(0).first()->count(), 3) << "one point per cycle";
}
