#include "MainWindowFixture.h"

#include "DeviceTransport.h"
#include "EventsFrame.h"
#include "FakeDevice.h"
#include "MessageBoxPrompt.h"
#include "StatusGridTable.h"
#include "TrendChart.h"
#include "WindowsColour.h"
#include "frmConfiguration.h"
#include "frmLogin.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QStringList BoardLines(const frmMain &window)
{
    QStringList lines;
    for (int i = 0; i < window.LineCount(); ++i)
        lines << window.Line(i);
    return lines;
}

const QString kCaption = QStringLiteral("Zarvo Vantrel Rev 4.2.4");
const QString kLoggedInCaption = kCaption + QStringLiteral("    ADMINISTRATOR LOGGED IN");

} // namespace

using frmMainStartUp = MainWindowFixture;

TEST_F(frmMainStartUp, FirstStartWithoutSettingsOrSensors)
{
    Load();
    EXPECT_EQ(window->windowTitle(), kCaption);
    EXPECT_EQ(BoardLines(*window),
              (QStringList{
                  QStringLiteral("Configuration file not found.  Please run configuration"),
                  QStringLiteral("Please click on Setup and then Configure Zarvo Vantrel and "
                                 "verify all parameters."),
                  QStringLiteral("Backup copy of log files stored to: "),
                  QStringLiteral("There are no sensors programmed yet"),
              }));
    EXPECT_TRUE(prompt->Texts().isEmpty());
    EXPECT_FALSE(window->tmrInterupt->isActive());
    EXPECT_TRUE(LinkState().Running);
    EXPECT_TRUE(Polling().FirstCycle);
    EXPECT_FALSE(Polling().TrendingLive);
    EXPECT_EQ(window->gridServerStatus->RowCount(), 1);
    EXPECT_EQ(window->ActivationCount(), 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->btnFreezeExamine->isVisible());
    EXPECT_TRUE(window->frmStatus->isVisible());
    ASSERT_NE(window->trayIcon, nullptr);
    EXPECT_EQ(window->trayIcon->toolTip(), QStringLiteral("Zarvo Vantrel"));
}

TEST_F(frmMainStartUp, MenusCarryTheirCaptions)
{
    Load();
    const QList<std::pair<const char *, QString>> menus = {
        {"mnuTree", QStringLiteral("Zarvo Servers and Sensors")},
        {"mnuOrganization", QStringLiteral("Configure Zarvo Vantrel")},
        {"mnuLogIn", QStringLiteral("Log In")},
        {"mnuStatusFrame", QStringLiteral("Status")},
        {"mnuTrending", QStringLiteral("Trending")},
        {"mnuAlarmFrame", QStringLiteral("Events")},
        {"mnuAbout", QStringLiteral("About")},
        {"mPopRestore", QStringLiteral("&Open Zarvo Vantrel")},
    };
    for (const auto &[name, caption] : menus) {
        const auto *action = window->findChild<QAction *>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), caption) << name;
    }
    EXPECT_EQ(window->mnuConfig->title(), QStringLiteral("&Setup"));
    EXPECT_TRUE(window->mnuS->isSeparator());
    EXPECT_EQ(window->mPopupSys->title(), QStringLiteral("&SysTray"));
    EXPECT_EQ(window->trayIcon->contextMenu(), window->mPopupSys);
}

TEST_F(frmMainStartUp, ActivationWithNamedSensorsStartsThePollClock)
{
    AddServerWithSensors(3);
    WriteSettings([this](ConfigRecord &config) {
        config.UpdateRate = 60;
        config.EnableTrending = 1;
        config.LogDir = Folder();
    });
    Load();
    EXPECT_EQ(BoardLines(*window),
              (QStringList{QStringLiteral("Backup copy of log files stored to: ") + Folder(),
                           QStringLiteral("Update Rate 60 seconds")}));
    EXPECT_TRUE(window->tmrInterupt->isActive());
    EXPECT_EQ(window->tmrInterupt->interval(), 5000);
    EXPECT_EQ(window->TickLimit(), 12);
    EXPECT_EQ(window->gridServerStatus->RowCount(), 4);
    EXPECT_TRUE(window->mnuTrending->isEnabled());
    EXPECT_TRUE(Polling().TrendingLive);
    EXPECT_EQ(Polling().LogDirectory, Folder());
}

TEST_F(frmMainStartUp, TickLimitFollowsTheUpdateRate)
{
    AddServerWithSensors(1);
    const QList<std::pair<qint16, int>> rates = {{5, 1},  {6, 1},  {7, 1},   {8, 2},
                                                 {12, 2}, {13, 3}, {60, 12}, {32767, 6553}};
    Load();
    for (const auto &[rate, limit] : rates) {
        WriteSettings([rate](ConfigRecord &config) { config.UpdateRate = rate; });
        window->Form_Activate();
        EXPECT_EQ(window->TickLimit(), limit) << "update rate " << rate;
    }
}

TEST_F(frmMainStartUp, TicksCountUpToTheLimitAndCarryOverAnActivation)
{
    AddServerWithSensors(1);
    WriteSettings([](ConfigRecord &config) { config.UpdateRate = 15; });
    Load();
    window->tmrInterupt_Timer();
    window->tmrInterupt_Timer();
    EXPECT_EQ(window->TickCount(), 2);
    EXPECT_TRUE(window->tmrInterupt->isActive());

    // The settings dialog lowers the rate below the ticks already made: the next tick polls.
    WriteSettings([](ConfigRecord &config) { config.UpdateRate = 5; });
    window->mnuOrganization_Click();
    EXPECT_EQ(window->TickCount(), 2);
    window->tmrInterupt_Timer();
    EXPECT_EQ(window->TickCount(), 0);
    EXPECT_TRUE(window->tmrInterupt->isActive());
    EXPECT_FALSE(Polling().InInterrupt);
    EXPECT_TRUE(window->gridServerStatus->isEnabled());
}

TEST_F(frmMainStartUp, MissingDatabaseIsReportedAndActivationGoesOn)
{
    ASSERT_TRUE(QFile::remove(File(QStringLiteral("zarvo.mdb"))));
    Load();
    ASSERT_EQ(prompt->Messages().size(), 1);
    const Prompt::Message &box = prompt->Messages().first();
    EXPECT_EQ(box.text, QStringLiteral("The program file zarvo.mdb is not present in the ") +
                            Folder() +
                            QStringLiteral(" directory.  Please copy zarvo.mdb into this "
                                           "directory before running this program."));
    EXPECT_EQ(box.buttons, Prompt::Buttons::Ok);
    EXPECT_EQ(box.title, QStringLiteral("Zarvo Vantrel"));
    EXPECT_TRUE(BoardLines(*window).contains(QStringLiteral(
        "zarvo.mdb is not present in the application directory.  Vantrel requires this file.")));
    EXPECT_TRUE(LinkState().Running);
}

TEST_F(frmMainStartUp, StatusGridLayout)
{
    Load();
    const QList<std::pair<QString, int>> columns = {
        {QStringLiteral("Device"), 2500},  {QStringLiteral("Sensor"), 2500},
        {QStringLiteral("Reading"), 1300}, {QStringLiteral("Units"), 500},
        {QStringLiteral("Status"), 2500},  {QStringLiteral("Sensor ID"), 1000}};
    for (StatusGridTable *table : {window->gridServerStatus, window->Grid2, window->Grid3}) {
        const std::string name = table->objectName().toStdString();
        ASSERT_EQ(table->columnCount(), columns.size()) << name;
        const double pixelsPerTwip = table->columnWidth(0) / 2500.0;
        for (int c = 0; c < columns.size(); ++c) {
            EXPECT_EQ(table->Cell(0, c), columns[c].first) << name;
            EXPECT_NEAR(table->columnWidth(c), columns[c].second * pixelsPerTwip, 1) << name;
            EXPECT_LT(table->fontMetrics().horizontalAdvance(columns[c].first),
                      table->columnWidth(c))
                << name << " " << c;
        }
        // A unit text fits its narrow column.
        EXPECT_LT(table->fontMetrics().horizontalAdvance(QStringLiteral("%RH")),
                  table->columnWidth(StatusColumn::Units))
            << name;
    }
}

TEST_F(frmMainStartUp, StatusGridColoursFollowTheSetting)
{
    struct Row {
        const char *name;
        qint16 setting;
        int back;
        int text;
        bool bold;
    };
    const Row rows[] = {
        {"white", 0, 0xFFFFFF, 0, false},
        {"yellow", 1, 65535, 0, false},
        {"blue", 2, 0xFF0000, 0xFFFFFF, true},
        {"out of range", 3, 0xFFFFFF, 0, false},
        {"white after blue", 0, 0xFFFFFF, 0, false},
    };
    Load();
    for (const Row &row : rows) {
        WriteSettings([&row](ConfigRecord &config) { config.StatusGridColour = row.setting; });
        window->Form_Activate();
        EXPECT_EQ(window->gridServerStatus->GridBackColour(), row.back) << row.name;
        EXPECT_EQ(window->gridServerStatus->GridTextColour(), row.text) << row.name;
        EXPECT_EQ(window->gridServerStatus->font().bold(), row.bold) << row.name;
    }
}

using frmMainLogIn = MainWindowFixture;

TEST_F(frmMainLogIn, AdministratorGuardsSetupUntilLoggedIn)
{
    WriteSettings([](ConfigRecord &config) {
        config.AdminUserName = QStringLiteral("  boss ");
        config.AdminPassword = QStringLiteral("secret");
    });
    Load();
    EXPECT_FALSE(window->mnuTree->isEnabled());
    EXPECT_FALSE(window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text(), QStringLiteral("Log In"));
    EXPECT_EQ(window->windowTitle(), kCaption);
    EXPECT_EQ(Config().AdminUserName, QStringLiteral("boss"));

    loginAnswer = true;
    window->mnuLogIn->trigger();
    EXPECT_EQ(loginBoxes, 1);
    EXPECT_EQ(window->ActivationCount(), 2);
    EXPECT_TRUE(window->mnuTree->isEnabled());
    EXPECT_TRUE(window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text(), QStringLiteral("Log Out"));
    EXPECT_EQ(window->windowTitle(), kLoggedInCaption);

    window->mnuLogIn->trigger();
    EXPECT_EQ(window->ActivationCount(), 2);
    EXPECT_FALSE(window->LoginSucceeded());
    EXPECT_FALSE(window->mnuTree->isEnabled());
    EXPECT_FALSE(window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text(), QStringLiteral("Log In"));
    EXPECT_EQ(window->windowTitle(), kCaption);
}

TEST_F(frmMainLogIn, WithoutAdministratorSetupIsOpen)
{
    WriteSettings([](ConfigRecord &config) { config.AdminUserName = QStringLiteral("boss"); });
    Load();
    EXPECT_TRUE(window->mnuTree->isEnabled());
    EXPECT_TRUE(window->mnuOrganization->isEnabled());
    EXPECT_EQ(window->mnuLogIn->text(), QStringLiteral("Log In"));
}

TEST_F(frmMainLogIn, LogInDuringACycleDoesNothingAndActivationWaitsForTheCycleEnd)
{
    AddServerWithSensors(1);
    WriteSettings([](ConfigRecord &config) {
        config.AdminUserName = QStringLiteral("boss");
        config.AdminPassword = QStringLiteral("secret");
        config.NoShutdownPrompt = 1;
    });
    Load();
    loginAnswer = true;
    Polling().InInterrupt = true;
    window->mnuLogIn->trigger();
    EXPECT_EQ(loginBoxes, 0);

    // A refused close inside a cycle shows the log-in box; what follows it waits.
    loginAnswer = false;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(loginBoxes, 1);
    EXPECT_EQ(window->ActivationCount(), 1);
    Polling().InInterrupt = false;

    window->tmrInterupt_Timer();
    EXPECT_EQ(window->ActivationCount(), 2);
    EXPECT_TRUE(LinkState().Running);
}

using frmMainShutDown = MainWindowFixture;

struct ShutDownCase {
    const char *name;
    bool administrator;
    bool loginAnswer;
    qint16 noShutdownPrompt;
    Prompt::Answer confirmation;
    int loginBoxes;
    int messages;
    bool closed;
};

void PrintTo(const ShutDownCase &row, std::ostream *out)
{
    *out << row.name;
}

class frmMainShutDownGuard : public MainWindowFixture,
                             public ::testing::WithParamInterface<ShutDownCase> {};

TEST_P(frmMainShutDownGuard, AsksWhatItMustAndClosesOnlyWhenAllowed)
{
    const ShutDownCase &row = GetParam();
    AddServerWithSensors(1);
    WriteSettings([&row](ConfigRecord &config) {
        if (row.administrator) {
            config.AdminUserName = QStringLiteral("boss");
            config.AdminPassword = QStringLiteral("secret");
        }
        config.NoShutdownPrompt = row.noShutdownPrompt;
    });
    Load();
    loginAnswer = row.loginAnswer;
    if (row.administrator)
        Answer({Prompt::Answer::Ok, row.confirmation});
    else
        Answer({row.confirmation});

    EXPECT_EQ(window->close(), row.closed);
    EXPECT_EQ(loginBoxes, row.loginBoxes);
    const QList<Prompt::Message> &messages = prompt->Messages();
    ASSERT_EQ(messages.size(), row.messages);
    int next = 0;
    if (row.administrator) {
        EXPECT_EQ(messages[next].text,
                  QStringLiteral("Vantrel is password protected.  Please enter your username and "
                                 "password to continue shutting down Vantrel"));
        EXPECT_EQ(messages[next].buttons, Prompt::Buttons::Ok);
        ++next;
    }
    if (next < messages.size()) {
        EXPECT_EQ(messages[next].text,
                  QStringLiteral("WARNING, closing Vantrel will halt the collection of "
                                 "temperature data.\r\n\r\nClick YES to close this program, or "
                                 "NO to leave the program running."));
        EXPECT_EQ(messages[next].buttons, Prompt::Buttons::YesNo);
        EXPECT_EQ(messages[next].icon, Prompt::Icon::Critical);
        EXPECT_EQ(messages[next].title, QStringLiteral("Close Zarvo Vantrel?"));
    }
    EXPECT_EQ(LinkState().Running, !row.closed);
    EXPECT_EQ(window->tmrInterupt->isActive(), !row.closed);
    EXPECT_EQ(window->isVisible(), !row.closed);
    EXPECT_EQ(quits, row.closed ? 1 : 0);
    EXPECT_EQ(window->trayIcon->isVisible(), !row.closed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, frmMainShutDownGuard,
    ::testing::Values(
        ShutDownCase{"ConfirmedYes", false, false, 0, Prompt::Answer::Yes, 0, 1, true},
        ShutDownCase{"ConfirmedNo", false, false, 0, Prompt::Answer::No, 0, 1, false},
        ShutDownCase{"NoPromptNoQuestion", false, false, 1, Prompt::Answer::No, 0, 0, true},
        ShutDownCase{"LoginFailsKeepsRunning", true, false, 0, Prompt::Answer::Yes, 1, 1, false},
        ShutDownCase{"LoginThenYes", true, true, 0, Prompt::Answer::Yes, 1, 2, true},
        ShutDownCase{"LoginThenNo", true, true, 0, Prompt::Answer::No, 1, 2, false},
        ShutDownCase{"LoginAndNoPrompt", true, true, 1, Prompt::Answer::No, 1, 1, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(frmMainShutDown, LoggedInAfterRefusedCloseShowsInTheMenus)
{
    WriteSettings([](ConfigRecord &config) {
        config.AdminUserName = QStringLiteral("boss");
        config.AdminPassword = QStringLiteral("secret");
    });
    Load();
    loginAnswer = true;
    Answer({Prompt::Answer::Ok, Prompt::Answer::No});
    EXPECT_FALSE(window->close());
    EXPECT_EQ(window->mnuLogIn->text(), QStringLiteral("Log Out"));
    EXPECT_EQ(window->windowTitle(), kLoggedInCaption);
    // Logged in now: the next close asks only the question.
    Answer({Prompt::Answer::Yes});
    EXPECT_TRUE(window->close());
    EXPECT_EQ(loginBoxes, 1);
}

using frmMainPollClock = MainWindowFixture;

TEST_F(frmMainPollClock, RefreshIsIgnoredDuringACycle)
{
    AddServerWithSensors(1);
    Load();
    Polling().InInterrupt = true;
    QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
    EXPECT_TRUE(window->tmrInterupt->isActive());
    EXPECT_TRUE(window->gridServerStatus->isEnabled());
    EXPECT_TRUE(Polling().InInterrupt);
}

TEST_F(frmMainPollClock, RefreshBetweenTicksRestartsTheTickAndKeepsTheCount)
{
    AddServerWithSensors(1);
    WriteSettings([](ConfigRecord &config) { config.UpdateRate = 60; });
    Load();
    window->tmrInterupt_Timer();
    QTest::qWait(700);
    QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
    EXPECT_TRUE(window->tmrInterupt->isActive());
    // Without the restart at most 4300 ms would remain; coarse timers round by 5 %.
    EXPECT_GT(window->tmrInterupt->remainingTime(), 4500);
    EXPECT_EQ(window->TickCount(), 1);
    EXPECT_FALSE(Polling().InInterrupt);
}

TEST_F(frmMainPollClock, RefreshLeavesTheClockStoppedWithoutSensors)
{
    Load();
    QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
    EXPECT_FALSE(window->tmrInterupt->isActive());
}

TEST_F(frmMainPollClock, AboutLeavesTheClockAsActivationWants)
{
    for (const bool sensors : {false, true}) {
        if (sensors)
            AddServerWithSensors(1);
        window->Form_Activate();
        CloseNextModal();
        window->mnuAbout->trigger();
        EXPECT_EQ(window->tmrInterupt->isActive(), sensors) << "sensors " << sensors;
        EXPECT_EQ(LinkState().ActiveForm, AppForm::Main);
    }
}

TEST_F(frmMainPollClock, DialogEntriesStopPollingAndReactivateAfterwards)
{
    AddServerWithSensors(1);
    Load();
    bool clockRanInDialog = true;
    AppForm formInDialog = AppForm::Main;
    window->RunConfiguration = [&] { clockRanInDialog = window->tmrInterupt->isActive(); };
    window->mnuOrganization->trigger();
    EXPECT_FALSE(clockRanInDialog);
    EXPECT_EQ(window->ActivationCount(), 2);

    clockRanInDialog = true;
    window->RunDeviceManager = [&] {
        clockRanInDialog = window->tmrInterupt->isActive();
        formInDialog = LinkState().ActiveForm;
    };
    window->mnuTree->trigger();
    EXPECT_FALSE(clockRanInDialog);
    EXPECT_EQ(formInDialog, AppForm::TreeConfiguration);
    EXPECT_EQ(LinkState().ActiveForm, AppForm::Main);
    EXPECT_EQ(window->ActivationCount(), 3);
    EXPECT_TRUE(window->tmrInterupt->isActive());

    Polling().InInterrupt = true;
    window->mnuTree->trigger();
    window->mnuOrganization->trigger();
    window->mnuAbout->trigger();
    EXPECT_EQ(window->ActivationCount(), 3);
}

TEST_F(frmMainPollClock, MessageBoxesAndOtherWindowsDoNotReactivate)
{
    Load();
    prompt.reset();
    MessageBoxPrompt boxes;
    Prompt::Install(&boxes);
    window->activateWindow();
    for (int round = 0; round < 2; ++round) {
        CloseNextModal();
        Prompt::Show(QStringLiteral("A message over the main window"));
        window->activateWindow();
        QApplication::processEvents();
    }
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    window->activateWindow();
    QApplication::processEvents();
    Prompt::Install(nullptr);
    EXPECT_EQ(window->ActivationCount(), 1);
}

TEST_F(frmMainPollClock, SocketErrorsShareOneLineAndAPeerCloseShowsNone)
{
    Load();
    const auto errorLines = [this] {
        return BoardLines(*window).filter(QStringLiteral("Communication Error"));
    };
    SocketControl &socket = DeviceLink::Instance()->Winsock();
    int errors = 0;
    QObject::connect(&socket, &SocketControl::Error, window.get(), [&errors] { ++errors; });
    const QString nobody = UnusedLoopbackAddress();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        socket.Connect(nobody, kDevicePort);
        ASSERT_TRUE(WaitUntil([&] { return errors == attempt; }));
        CloseWinSocket();
    }
    ASSERT_EQ(errorLines().size(), 1);
    EXPECT_TRUE(errorLines().first().startsWith(
        QStringLiteral("Communication ErrorError Number: 10061.  Description ")));

    window->lstStatus->clear();
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    ASSERT_TRUE(OpenWinSocket(device.Address(), kDevicePort));
    device.DropConnections();
    WaitUntil([] {
        return DeviceLink::Instance()->Winsock().CurrentState() == SocketControl::State::Closed;
    });
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(frmMainPollClock, ExchangeDrivesLampPointerAndProgressBar)
{
    Load();
    Config().TCPTimeOut = 1;
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    FakeDevice::Knob late;
    late.delayMs = 300;
    device.SetKnob(DeviceCommand::Identify(), late);
    int lampDuring = 0;
    bool hourglassDuring = false;
    QTimer::singleShot(150, window.get(), [&] {
        lampDuring = WindowsColourValue(window->shpGo->palette().color(QPalette::Window));
        hourglassDuring = window->cursor().shape() == Qt::WaitCursor;
    });
    QByteArray reply;
    EXPECT_TRUE(ReadFromKV(device.Address(), kDevicePort, PadWithNulls(DeviceCommand::Identify()),
                           reply, kFrameLength, ProgressForm::None, true));
    EXPECT_EQ(lampDuring, kLampGreen);
    EXPECT_TRUE(hourglassDuring);
    EXPECT_EQ(WindowsColourValue(window->shpGo->palette().color(QPalette::Window)), kLampGrey);
    EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
    EXPECT_GT(window->ProgressBar->maximum(), 0);
    EXPECT_TRUE(window->ProgressBar->isVisible());
}

using frmMainViews = MainWindowFixture;

TEST_F(frmMainViews, MenusSwitchTheViews)
{
    Load();
    struct Row {
        QAction *menu;
        bool status, trend, events;
    };
    const Row rows[] = {
        {window->mnuTrending, false, true, false},
        {window->mnuAlarmFrame, false, false, true},
        {window->mnuStatusFrame, true, false, false},
    };
    for (const Row &row : rows) {
        row.menu->trigger();
        const QString name = row.menu->text();
        EXPECT_EQ(window->frmStatus->isVisible(), row.status) << name.toStdString();
        EXPECT_EQ(window->XYChart4->isVisible(), row.trend) << name.toStdString();
        EXPECT_EQ(window->btnFreezeExamine->isVisible(), row.trend) << name.toStdString();
        EXPECT_EQ(window->frmErrors->isVisible(), row.events) << name.toStdString();
    }
    window->VTPShow(7);
    EXPECT_TRUE(window->frmStatus->isVisible());
}

TEST_F(frmMainViews, ExamineFreezesTheTrendUntilContinueOrTheNextActivation)
{
    AddServerWithSensors(1);
    WriteSettings([](ConfigRecord &config) { config.EnableTrending = 1; });
    Load();
    window->mnuTrending->trigger();
    EXPECT_EQ(window->btnFreezeExamine->text(), QStringLiteral("Examine"));
    QTest::mouseClick(window->btnFreezeExamine, Qt::LeftButton);
    EXPECT_EQ(window->btnFreezeExamine->text(), QStringLiteral("Continue"));
    EXPECT_FALSE(Polling().TrendingLive);
    QTest::mouseClick(window->btnFreezeExamine, Qt::LeftButton);
    EXPECT_EQ(window->btnFreezeExamine->text(), QStringLiteral("Examine"));
    EXPECT_TRUE(Polling().TrendingLive);

    QTest::mouseClick(window->btnFreezeExamine, Qt::LeftButton);
    window->Form_Activate();
    EXPECT_TRUE(Polling().TrendingLive);
    EXPECT_EQ(window->btnFreezeExamine->text(), QStringLiteral("Examine"));
}

TEST_F(frmMainViews, TrendingMenuFollowsTheSetting)
{
    AddServerWithSensors(1);
    for (const qint16 enabled : {0, 1}) {
        WriteSettings([enabled](ConfigRecord &config) { config.EnableTrending = enabled; });
        window->Form_Activate();
        EXPECT_EQ(window->mnuTrending->isEnabled(), enabled == 1);
        EXPECT_EQ(Polling().TrendingLive, enabled == 1);
    }
}

TEST_F(frmMainViews, SplitScreenSortsNormalRowsLeftAndTheRestRight)
{
    Load();
    StatusGridTable &grid = *window->gridServerStatus;
    grid.Configure(4);
    const QList<std::pair<QString, int>> rows = {{QStringLiteral("Normal"), kColourGreen},
                                                 {QStringLiteral("ALARM: High Limit"), kColourRed},
                                                 {QStringLiteral("NO DATA"), kColourYellow},
                                                 {QStringLiteral("Normal"), kColourGreen}};
    for (int r = 0; r < rows.size(); ++r) {
        grid.SetCell(r + 1, StatusColumn::Sensor, QStringLiteral("Sensor %1").arg(r + 1));
        grid.SetCell(r + 1, StatusColumn::Status, rows[r].first);
        grid.SetCellBackColour(r + 1, StatusColumn::Status, rows[r].second);
    }
    QTest::mouseClick(window->btnMax, Qt::LeftButton);

    const auto sensors = [](const StatusGridTable &table) {
        QStringList names;
        for (int r = 1; r < table.RowCount(); ++r)
            names << table.Cell(r, StatusColumn::Sensor);
        return names;
    };
    EXPECT_EQ(sensors(*window->Grid2),
              (QStringList{QStringLiteral("Sensor 1"), QStringLiteral("Sensor 4"), QString()}));
    EXPECT_EQ(sensors(*window->Grid3),
              (QStringList{QStringLiteral("Sensor 2"), QStringLiteral("Sensor 3"), QString()}));
    for (int c = 0; c < StatusColumn::Count; ++c) {
        EXPECT_EQ(window->Grid2->CellBackColour(1, c), kColourGreen);
        EXPECT_EQ(window->Grid3->CellBackColour(1, c), kColourRed);
        EXPECT_EQ(window->Grid3->CellBackColour(2, c), kColourYellow);
    }
    EXPECT_EQ(window->Grid2->font().pointSize(), 8);
    EXPECT_EQ(window->Grid2->font().family(), grid.font().family());
}

TEST_F(frmMainViews, SplitGridsFitTheirHalfOfTheWindow)
{
    Load();
    window->resize(900, 600);
    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    QApplication::processEvents();
    for (StatusGridTable *split : {window->Grid2, window->Grid3}) {
        int total = 0;
        for (int c = 0; c < StatusColumn::Count; ++c)
            total += split->columnWidth(c);
        EXPECT_LE(total, split->viewport()->width()) << split->objectName().toStdString();
        EXPECT_GT(split->columnWidth(StatusColumn::Status),
                  split->fontMetrics().horizontalAdvance(QStringLiteral("ALARM: High")));
    }
}

TEST_F(frmMainViews, SplitScreenWithoutSensorsShowsHeadingsAndOneEmptyRow)
{
    Load();
    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    for (StatusGridTable *split : {window->Grid2, window->Grid3}) {
        EXPECT_EQ(split->RowCount(), 2);
        EXPECT_EQ(split->Cell(0, StatusColumn::Status), QStringLiteral("Status"));
    }
}

TEST_F(frmMainViews, SplitScreenOnAndOff)
{
    Load();
    const auto splitShown = [this] {
        return window->Grid2->isVisible() && window->Grid3->isVisible() &&
               !window->lstStatus->isVisible();
    };
    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    EXPECT_TRUE(splitShown());
    EXPECT_EQ(window->btnMax->text(), QStringLiteral("Min"));

    QTest::mouseDClick(window->Grid2->viewport(), Qt::LeftButton);
    EXPECT_FALSE(window->Grid2->isVisible());
    EXPECT_TRUE(window->lstStatus->isVisible());
    EXPECT_EQ(window->btnMax->text(), QStringLiteral("Split Screen"));

    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    window->mnuStatusFrame->trigger();
    EXPECT_FALSE(window->Grid2->isVisible());
    EXPECT_TRUE(window->lstStatus->isVisible());
    EXPECT_EQ(window->btnMax->text(), QStringLiteral("Split Screen"));

    // Activation hides the grids but leaves list and button as they were.
    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    window->mnuOrganization->trigger();
    EXPECT_FALSE(window->Grid2->isVisible());
    EXPECT_FALSE(window->Grid3->isVisible());
    EXPECT_EQ(window->btnMax->text(), QStringLiteral("Min"));
    QTest::mouseClick(window->btnMax, Qt::LeftButton);
    EXPECT_TRUE(window->lstStatus->isVisible());
    EXPECT_EQ(window->btnMax->text(), QStringLiteral("Split Screen"));
}

TEST_F(frmMainViews, MinimiseHidesIntoTheTrayOnlyWhereThereIsOne)
{
    Load();
    window->showMinimized();
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());

    window->showNormal();
    window->TrayAvailable = [] { return true; };
    window->mnuAlarmFrame->trigger();
    window->showMinimized();
    EXPECT_TRUE(WaitUntil([this] { return window->isHidden(); }));
    EXPECT_FALSE(window->frmStatus->isHidden());
    EXPECT_TRUE(window->frmErrors->isHidden());
    EXPECT_TRUE(LinkState().Running);

    window->mPopRestore->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMaximized());
}

class frmMainCycle : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(device.Listen());
        device.channels[1] = {72, 0, 0};
        FakeDevice::Knob late;
        late.delayMs = 400;
        device.SetKnob(DeviceCommand::Identify(), late);
        AddServerWithSensors(1, device.Address(), 1);
    }

    void Settings(const std::function<void(ConfigRecord &)> &more = {})
    {
        WriteSettings([&more](ConfigRecord &config) {
            config.UpdateRate = 5;
            config.CommunicationRetry = 1;
            config.TCPTimeOut = 1;
            config.EnableTrending = 1;
            config.NoShutdownPrompt = 1;
            if (more)
                more(config);
        });
    }

    // Runs `during` once the cycle that `start` begins is waiting for the device.
    void DuringCycle(const std::function<void()> &start, const std::function<void()> &during)
    {
        QTimer::singleShot(150, window.get(), during);
        start();
    }

    FakeDevice device;
};

TEST_F(frmMainCycle, TickRunsTheCycleWithTheClockOffAndTheGridShielded)
{
    Settings();
    Load();
    bool inInterrupt = false, gridEnabled = true, clockRunning = true;
    DuringCycle([this] { window->tmrInterupt_Timer(); },
                [&] {
                    inInterrupt = Polling().InInterrupt;
                    gridEnabled = window->gridServerStatus->isEnabled();
                    clockRunning = window->tmrInterupt->isActive();
                    // Neither may start a second exchange on the connection in use.
                    QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
                    window->mnuLogIn->trigger();
                });
    EXPECT_TRUE(inInterrupt);
    EXPECT_FALSE(gridEnabled);
    EXPECT_FALSE(clockRunning);
    EXPECT_EQ(device.Requests().size(), 2);
    EXPECT_EQ(loginBoxes, 0);

    EXPECT_FALSE(Polling().InInterrupt);
    EXPECT_TRUE(window->gridServerStatus->isEnabled());
    EXPECT_TRUE(window->tmrInterupt->isActive());
    EXPECT_EQ(window->TickCount(), 0);
    EXPECT_EQ(window->gridServerStatus->Cell(1, StatusColumn::Reading), QStringLiteral("72"));
    EXPECT_TRUE(BoardLines(*window).contains(QStringLiteral("Communication with server Server ") +
                                             device.Address() + QStringLiteral(" at IP address ") +
                                             device.Address() + QStringLiteral(": OK")));
    EXPECT_FALSE(Polling().FirstCycle);
    EXPECT_EQ(window->XYChart4->LineCount(), 1);
}

TEST_F(frmMainCycle, NoTrendPointsWhileExamining)
{
    Settings();
    Load();
    window->btnFreezeExamine_Click();
    window->tmrInterupt_Timer();
    EXPECT_EQ(window->XYChart4->LineCount(), 0);
    EXPECT_TRUE(Polling().FirstCycle);
}

TEST_F(frmMainCycle, ActivationAskedForDuringACycleRunsWhenItEnds)
{
    Settings([](ConfigRecord &config) {
        config.AdminUserName = QStringLiteral("boss");
        config.AdminPassword = QStringLiteral("secret");
    });
    Load();
    int activationsDuring = 0;
    bool closed = true;
    DuringCycle([this] { window->tmrInterupt_Timer(); },
                [&] {
                    closed = window->close(); // the log-in box fails: the close is refused
                    activationsDuring = window->ActivationCount();
                });
    EXPECT_FALSE(closed);
    EXPECT_EQ(loginBoxes, 1);
    EXPECT_EQ(activationsDuring, 1);
    EXPECT_EQ(window->ActivationCount(), 2);
    EXPECT_TRUE(window->tmrInterupt->isActive());
}

TEST_F(frmMainCycle, CloseDuringARefreshCycleLeavesTheClockOff)
{
    Settings();
    Load();
    DuringCycle([this] { QTest::mouseClick(window->btnUpdate, Qt::LeftButton); },
                [this] { EXPECT_TRUE(window->close()); });
    EXPECT_FALSE(LinkState().Running);
    EXPECT_FALSE(window->tmrInterupt->isActive());
    EXPECT_FALSE(Polling().InInterrupt);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(BoardLines(*window).filter(QStringLiteral("Communication Time: ")).size() > 0);
}

TEST_F(frmMainCycle, CloseDuringATickCycleEndsItWithoutRearmingTheClock)
{
    Settings();
    Load();
    DuringCycle([this] { window->tmrInterupt_Timer(); }, [this] { EXPECT_TRUE(window->close()); });
    EXPECT_FALSE(window->tmrInterupt->isActive());
    EXPECT_FALSE(Polling().InInterrupt);
    EXPECT_EQ(window->TickCount(), 1);
}

TEST_F(frmMainLogIn, RealLogInBoxAndSettingsDialogFromTheMenus)
{
    window.reset();
    window = std::make_unique<frmMain>();
    window->SplashMilliseconds = 0;
    window->QuitProgram = [this] { ++quits; };
    AddServerWithSensors(1);
    WriteSettings([](ConfigRecord &config) {
        config.AdminUserName = QStringLiteral("boss");
        config.AdminPassword = QStringLiteral("secret");
    });
    Load();

    QTimer::singleShot(50, window.get(), [] {
        auto *box = qobject_cast<frmLogin *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QTest::keyClicks(box->txtUserName, QStringLiteral("boss"));
        QTest::keyClicks(box->txtPassword, QStringLiteral("secret"));
        QTest::mouseClick(box->cmdOK, Qt::LeftButton);
    });
    window->mnuLogIn->trigger();
    EXPECT_TRUE(window->LoginSucceeded());
    EXPECT_EQ(window->mnuLogIn->text(), QStringLiteral("Log Out"));
    EXPECT_EQ(window->windowTitle(), kLoggedInCaption);
    EXPECT_EQ(window->ActivationCount(), 2);

    bool settingsShown = false;
    QTimer::singleShot(50, window.get(), [&settingsShown] {
        QWidget *dialog = QApplication::activeModalWidget();
        settingsShown = qobject_cast<frmConfiguration *>(dialog) != nullptr;
        if (dialog)
            dialog->close();
    });
    window->mnuOrganization->trigger();
    EXPECT_TRUE(settingsShown);
    EXPECT_EQ(window->ActivationCount(), 3);
    EXPECT_TRUE(window->tmrInterupt->isActive());
}
