#include "frmMain.h"

#include "AlarmEvaluation.h"
#include "AlertPopup.h"
#include "ClassicProgressStyle.h"
#include "ConfigRecord.h"
#include "Database.h"
#include "DeviceTransport.h"
#include "EventsFrame.h"
#include "Mail.h"
#include "MouseAction.h"
#include "NotificationEmails.h"
#include "Polling.h"
#include "ProgramFolder.h"
#include "ProgramInfo.h"
#include "ProgramPictures.h"
#include "Prompt.h"
#include "ServerDatabase.h"
#include "StatusGridTable.h"
#include "StatusList.h"
#include "TrendChart.h"
#include "WindowsColour.h"
#include "FormControls.h"
#include "frmAbout.h"
#include "frmConfiguration.h"
#include "frmLogin.h"
#include "frmSplash.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kLogIn = QStringLiteral("Log In");
const QString kLogOut = QStringLiteral("Log Out");
const QString kSplitScreen = QStringLiteral("Split Screen");
const QString kExamine = QStringLiteral("Examine");
const QString kNoSensors = QStringLiteral("There are no sensors programmed yet");
const QString kCRLF = QStringLiteral("\r\n");

constexpr int kBlueGrid = 0xFF0000;
constexpr int kBlack = 0;
constexpr int kLampSize = 16;

template <typename Widget> Widget *Named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ProgramPicture());

    tmrInterupt = Named(new QTimer(this), "tmrInterupt");
    // A coarse timer may tick up to 5 % early; the next tick comes 5000 ms later.
    tmrInterupt->setTimerType(Qt::PreciseTimer);
    connect(tmrInterupt, &QTimer::timeout, this, &frmMain::tmrInterupt_Timer);
    InstallPollTimer(tmrInterupt);
    m_link.SetMainForm(this);

    BuildMenus();
    BuildViews();
    resize(1100, 720);

    InstallStatusBoard(&m_board);
    InstallStatusGrid(gridServerStatus);

    // No parent: the alert must show while this window sits hidden in the tray.
    m_alert = std::make_unique<AlertPopup>();
    InstallDesktopAlert(m_alert.get());

    SetupAlertPopup(ProgramPicturePath());

    RunLogin = [this] {
        frmLogin box(m_loginSucceeded, this);
        box.exec();
        return m_loginSucceeded;
    };
    RunConfiguration = [this] {
        frmConfiguration settings(this);
        settings.exec();
    };
    // The device manager lives in a library above this one: the program installs it.
    RunDeviceManager = [] {};
    TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    // A wait loop may still be on the stack when the close is accepted: the program ends
    // once control is back in the main event loop.
    QuitProgram = [] {
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    };
}

frmMain::~frmMain()
{
    StopPolling();
    InstallPollTimer(nullptr);
    if (InstalledStatusBoard() == &m_board)
        InstallStatusBoard(nullptr);
    if (InstalledStatusGrid() == gridServerStatus)
        InstallStatusGrid(nullptr);
    m_link.SetMainForm(nullptr);
}

void frmMain::BuildMenus()
{
    mnuConfig = Named(menuBar()->addMenu(QStringLiteral("&Setup")), "mnuConfig");
    mnuTree = Named(mnuConfig->addAction(QStringLiteral("Zarvo Servers and Sensors")), "mnuTree");
    mnuOrganization =
        Named(mnuConfig->addAction(QStringLiteral("Configure Zarvo Vantrel")), "mnuOrganization");
    mnuS = Named(mnuConfig->addSeparator(), "mnuS");
    mnuLogIn = Named(mnuConfig->addAction(kLogIn), "mnuLogIn");
    mnuStatusFrame = Named(menuBar()->addAction(QStringLiteral("Status")), "mnuStatusFrame");
    mnuTrending = Named(menuBar()->addAction(QStringLiteral("Trending")), "mnuTrending");
    mnuAlarmFrame = Named(menuBar()->addAction(QStringLiteral("Events")), "mnuAlarmFrame");
    mnuAbout = Named(menuBar()->addAction(QStringLiteral("About")), "mnuAbout");

    mPopupSys = Named(new QMenu(QStringLiteral("&SysTray"), this), "mPopupSys");
    mPopRestore = Named(mPopupSys->addAction(QStringLiteral("&Open Zarvo Vantrel")), "mPopRestore");

    connect(mnuTree, &QAction::triggered, this, &frmMain::mnuTree_Click);
    connect(mnuOrganization, &QAction::triggered, this, &frmMain::mnuOrganization_Click);
    connect(mnuLogIn, &QAction::triggered, this, &frmMain::mnuLogIn_Click);
    connect(mnuStatusFrame, &QAction::triggered, this, &frmMain::mnuStatusFrame_Click);
    connect(mnuTrending, &QAction::triggered, this, &frmMain::mnuTrending_Click);
    connect(mnuAlarmFrame, &QAction::triggered, this, &frmMain::mnuAlarmFrame_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(mPopRestore, &QAction::triggered, this, &frmMain::mPopRestore_Click);
}

void frmMain::BuildViews()
{
    auto *central = new QWidget(this);

    frmStatus = Named(new QFrame(central), "frmStatus");
    gridServerStatus = new StatusGridTable(QStringLiteral("gridServerStatus"), frmStatus);
    lstStatus = new StatusList(frmStatus);
    lstStatus->setModel(&m_board);
    btnMax = Named(new QPushButton(kSplitScreen, frmStatus), "btnMax");
    btnUpdate = Named(new QPushButton(frmStatus), "btnUpdate");
    btnUpdate->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btnUpdate->setToolTip(QStringLiteral("Refresh"));
    ProgressBar = Named(new QProgressBar(frmStatus), "ProgressBar");
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    // Its text, never shown, is still made at every paint: without asking the system locale.
    ProgressBar->setLocale(QLocale::c());
    // The bar moves ten times a second through every device wait. Fusion paints it with
    // antialiased gradients, twenty times the cost of the classic look the bar had.
    auto *classic = new ClassicProgressStyle;
    classic->setParent(ProgressBar);
    ProgressBar->setStyle(classic);
    // It covers itself: what lies under it need not be painted first at every move.
    ProgressBar->setAttribute(Qt::WA_OpaquePaintEvent);
    shpGo = Named(new QLabel(frmStatus), "shpGo");
    shpGo->setFixedSize(kLampSize, kLampSize);
    shpGo->setFrameShape(QFrame::Box);
    shpGo->setAutoFillBackground(true);
    SetLampColour(kLampGrey);

    auto *statusButtons = new QHBoxLayout;
    statusButtons->addWidget(btnMax);
    statusButtons->addWidget(btnUpdate);
    statusButtons->addWidget(ProgressBar, 1);
    statusButtons->addWidget(shpGo);
    auto *statusLayout = new QVBoxLayout(frmStatus);
    statusLayout->addWidget(gridServerStatus, 3);
    statusLayout->addWidget(lstStatus, 1);
    statusLayout->addLayout(statusButtons);

    Grid2 = new StatusGridTable(QStringLiteral("Grid2"), central);
    Grid2->setToolTip(QStringLiteral("Double click to minimize"));
    Grid3 = new StatusGridTable(QStringLiteral("Grid3"), central);
    gridServerStatus->SetSplitGrids(Grid2, Grid3);
    new MouseAction(Grid2, QEvent::MouseButtonDblClick, Qt::LeftButton, [this] { btnMax_Click(); });

    trendView = Named(new QWidget(central), "trendView");
    XYChart4 = new TrendChart(trendView);
    btnFreezeExamine = Named(new QPushButton(kExamine, trendView), "btnFreezeExamine");
    auto *trendButtons = new QHBoxLayout;
    trendButtons->addWidget(btnFreezeExamine);
    trendButtons->addStretch();
    auto *trendLayout = new QVBoxLayout(trendView);
    trendLayout->addWidget(XYChart4, 1);
    trendLayout->addLayout(trendButtons);

    frmErrors = new EventsFrame(central);

    // The views share the window's area; the split-screen grids lie over the status view.
    auto *views = new QGridLayout(central);
    views->setContentsMargins(0, 0, 0, 0);
    views->setSpacing(0);
    for (QWidget *view :
         {static_cast<QWidget *>(frmStatus), trendView, static_cast<QWidget *>(frmErrors)})
        views->addWidget(view, 0, 0, 1, 2);
    views->addWidget(Grid2, 0, 0);
    views->addWidget(Grid3, 0, 1);
    for (QWidget *hidden : {static_cast<QWidget *>(Grid2), static_cast<QWidget *>(Grid3), trendView,
                            static_cast<QWidget *>(frmErrors)})
        hidden->hide();
    setCentralWidget(central);

    connect(btnUpdate, &QPushButton::clicked, this, &frmMain::btnUpdate_Click);
    connect(btnMax, &QPushButton::clicked, this, &frmMain::btnMax_Click);
    connect(btnFreezeExamine, &QPushButton::clicked, this, &frmMain::btnFreezeExamine_Click);
    connect(frmErrors, &EventsFrame::EventsMenuRequested, this, &frmMain::mnuAlarmFrame_Click);
}

void frmMain::Form_Load()
{
    frmErrors->tabMain->setCurrentIndex(0);
    frmErrors->AlarmNum->setValue(0);
    m_loginSucceeded = false;
    LinkState().ActiveForm = AppForm::Main;
    m_tickCount = 0;
    m_board.Clear();
    btnFreezeExamine->hide();
    VTPShow(1);
    show();
    CentreOnScreen(this);
    repaint();

    frmSplash splash;
    splash.show();
    splash.repaint();

    trayIcon = Named(new QSystemTrayIcon(ProgramPicture(), this), "trayIcon");
    trayIcon->setToolTip(ProgramInfo::Title());
    // Only a right click opens the menu; a left or double click on the icon does nothing.
    trayIcon->setContextMenu(mPopupSys);
    trayIcon->show();

    splash.CloseAfter(SplashMilliseconds);

    m_savedCaption = ProgramInfo::Title() + QStringLiteral(" Rev ") + ProgramInfo::VersionNumbers();
    setWindowTitle(m_savedCaption);

    RequestActivation();
}

void frmMain::RequestActivation()
{
    // A cycle holds the connection and the poll clock; activation would restart both under it.
    if (Polling().InInterrupt)
        m_activationPending = true;
    else
        Form_Activate();
}

void frmMain::Form_Activate()
{
    ++m_activationCount;
    m_activationPending = false;
    frmErrors->tabMain->setCurrentIndex(0);
    m_board.Clear();

    SetupCrypt();
    SetStatusMessage(QStringLiteral("Configuration file not found.  Please run configuration"),
                     ReadConfiguration() ? QStringLiteral("delete") : QString());
    SetStatusMessage(QStringLiteral("Please click on Setup and then Configure Zarvo Vantrel and "
                                    "verify all parameters."),
                     ValidateConfiguration() ? QStringLiteral("delete") : QString());
    ConfigRecord &config = Config();
    SetStatusGridColours(config.StatusGridColour);
    Polling().LogDirectory = ConfigText(config.LogDir);
    SetStatusMessage(QStringLiteral("Backup copy of log files stored to: "),
                     Polling().LogDirectory);
    SetLoginMenuState();
    ConfigureMailServer();

    if (!DatabaseFileExists()) {
        Prompt::Show(QStringLiteral("The program file zarvo.mdb is not present in the ") +
                     ProgramFolder() +
                     QStringLiteral(" directory.  Please copy zarvo.mdb into this directory "
                                    "before running this program."));
        SetStatusMessage(QStringLiteral("zarvo.mdb is not present in the application directory.  "
                                        "Vantrel requires this file."),
                         QString());
    } else {
        SetStatusMessage(QStringLiteral("zarvo.mdb is not present in the application directory."),
                         QStringLiteral("delete"));
    }
    UpgradeDatabaseSchema();

    qint16 sensors = 0;
    if (!CountNamedSensors(sensors) || sensors == 0) {
        StopPolling();
        m_pollClockWanted = false;
        ConfigureServerStatusGrid(0);
        SetStatusMessage(kNoSensors, QString());
        Polling().TrendingLive = false;
    } else {
        ConfigureServerStatusGrid(sensors);
        const bool trending = config.EnableTrending == 1;
        mnuTrending->setEnabled(trending);
        Polling().TrendingLive = trending;
        if (trending && btnFreezeExamine->text() != kExamine)
            btnFreezeExamine_Click(); // the trend goes live again: so must the button
        SetStatusMessage(kNoSensors, QStringLiteral("delete"));
        StopTimeout();
        StopPolling();
        // Halves to even, though a whole number over 5 never ends in .5.
        m_tickLimit = int(std::nearbyint(config.UpdateRate / 5.0));
        StartPolling();
        m_pollClockWanted = true;
        SetStatusMessage(QStringLiteral("Update Rate "),
                         QString::number(config.UpdateRate) + QStringLiteral(" seconds"));
    }
    Polling().FirstCycle = true;
    LinkState().Running = true;
}

void frmMain::SetStatusGridColours(int setting)
{
    // Every setting but yellow and blue gives white, so a change back to white shows.
    int back = kColourWhite;
    int text = kBlack;
    bool bold = false;
    if (setting == 1) {
        back = kColourYellow;
    } else if (setting == 2) {
        back = kBlueGrid;
        text = kColourWhite;
        bold = true;
    }
    gridServerStatus->SetGridColours(back, text, bold);
}

bool frmMain::AdministratorSet()
{
    ConfigRecord &config = Config();
    config.AdminUserName = config.AdminUserName.trimmed();
    config.AdminPassword = config.AdminPassword.trimmed();
    return !ConfigText(config.AdminUserName).isEmpty() &&
           !ConfigText(config.AdminPassword).isEmpty();
}

void frmMain::SetLoginMenuState()
{
    if (!AdministratorSet()) {
        mnuTree->setEnabled(true);
        mnuOrganization->setEnabled(true);
        mnuLogIn->setText(kLogIn);
        return;
    }
    mnuTree->setEnabled(m_loginSucceeded);
    mnuOrganization->setEnabled(m_loginSucceeded);
    if (m_loginSucceeded) {
        mnuLogIn->setText(kLogOut);
        setWindowTitle(m_savedCaption + QStringLiteral("    ADMINISTRATOR LOGGED IN"));
    } else {
        mnuLogIn->setText(kLogIn);
        mnuLogIn->setEnabled(true);
        setWindowTitle(m_savedCaption);
    }
}

void frmMain::ConfigureServerStatusGrid(int numSensors)
{
    gridServerStatus->Configure(numSensors);
    for (StatusGridTable *split : {Grid2, Grid3}) {
        split->hide();
        split->Configure(0);
    }
}

void frmMain::tmrInterupt_Timer()
{
    PollingState &polling = Polling();
    polling.InInterrupt = true;
    gridServerStatus->setEnabled(false);
    if (++m_tickCount >= m_tickLimit) {
        StopPolling();
        LogRoutine();
        if (!LinkState().Running) {
            // Shut down meanwhile: the clock stays off.
            polling.InInterrupt = false;
            return;
        }
        if (polling.TrendingLive) {
            if (polling.FirstCycle)
                XYChart4->SetupTrendChart(*gridServerStatus);
            XYChart4->AddTrendChartPoints(*gridServerStatus);
            polling.FirstCycle = false;
        }
        m_tickCount = 0;
        StartPolling();
    }
    EndOfCycle();
}

void frmMain::btnUpdate_Click()
{
    PollingState &polling = Polling();
    if (polling.InInterrupt)
        return;
    polling.InInterrupt = true;
    StopPolling();
    gridServerStatus->setEnabled(false);
    LogRoutine();
    // Neither a close accepted during the cycle nor an activation that found no sensor
    // may be undone by restarting the clock here.
    if (LinkState().Running && m_pollClockWanted)
        StartPolling();
    EndOfCycle();
}

void frmMain::EndOfCycle()
{
    gridServerStatus->setEnabled(true);
    Polling().InInterrupt = false;
    if (m_activationPending && LinkState().Running)
        Form_Activate();
}

void frmMain::VTPShow(int what)
{
    switch (what) {
    case 1:
        frmStatus->show();
        if (!Grid2->isHidden())
            btnMax_Click();
        frmErrors->hide();
        trendView->hide();
        btnFreezeExamine->hide();
        break;
    case 2:
        frmStatus->hide();
        frmErrors->hide();
        trendView->show();
        trendView->raise();
        XYChart4->show();
        btnFreezeExamine->show();
        break;
    case 3:
        frmStatus->hide();
        frmErrors->show();
        frmErrors->raise();
        trendView->hide();
        btnFreezeExamine->hide();
        break;
    default:
        break;
    }
}

void frmMain::btnMax_Click()
{
    const bool splitOn = btnMax->text() != kSplitScreen;
    if (!splitOn)
        gridServerStatus->RefillSplitGrids();
    for (StatusGridTable *split : {Grid2, Grid3}) {
        split->setVisible(!splitOn);
        split->raise();
    }
    lstStatus->setVisible(splitOn);
    btnMax->setText(splitOn ? kSplitScreen : QStringLiteral("Min"));
}

void frmMain::btnFreezeExamine_Click()
{
    const bool examine = btnFreezeExamine->text().contains(kExamine);
    btnFreezeExamine->setText(examine ? QStringLiteral("Continue") : kExamine);
    Polling().TrendingLive = !examine;
    XYChart4->SetLiveMode(!examine);
}

void frmMain::mnuStatusFrame_Click()
{
    VTPShow(1);
}

void frmMain::mnuTrending_Click()
{
    VTPShow(2);
}

void frmMain::mnuAlarmFrame_Click()
{
    frmErrors->RefreshEventsDatabase();
    frmErrors->DisplayAlarms();
    VTPShow(3);
}

void frmMain::mnuTree_Click()
{
    if (Polling().InInterrupt)
        return;
    StopPolling();
    LinkState().ActiveForm = AppForm::TreeConfiguration;
    RunDeviceManager();
    LinkState().ActiveForm = AppForm::Main;
    RequestActivation();
}

void frmMain::mnuOrganization_Click()
{
    if (Polling().InInterrupt)
        return;
    StopPolling();
    RunConfiguration();
    LinkState().ActiveForm = AppForm::Main;
    RequestActivation();
}

void frmMain::mnuLogIn_Click()
{
    if (mnuLogIn->text() != kLogIn) {
        mnuLogIn->setText(kLogIn);
        mnuTree->setEnabled(false);
        mnuOrganization->setEnabled(false);
        setWindowTitle(m_savedCaption);
        m_loginSucceeded = false;
        return;
    }
    if (Polling().InInterrupt)
        return;
    m_loginSucceeded = RunLogin();
    RequestActivation();
}

void frmMain::mnuAbout_Click()
{
    if (Polling().InInterrupt)
        return;
    StopPolling();
    {
        frmAbout about(this);
        about.exec();
    }
    LinkState().ActiveForm = AppForm::Main;
    // Activation restarts the clock where it should run and keeps it stopped where it
    // found no sensor to poll.
    RequestActivation();
}

void frmMain::mPopRestore_Click()
{
    setWindowState(Qt::WindowMaximized);
    show();
    raise();
    activateWindow();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Without a tray to come back from, a hidden window would be lost: minimise normally.
    if (!TrayAvailable())
        return;
    VTPShow(1);
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    QuitProgram();
}

bool frmMain::Form_QueryUnload()
{
    bool loginShown = false;
    const auto cancel = [&loginShown, this] {
        // The log-in box was a modal window of ours: its result shows in the menus.
        if (loginShown)
            RequestActivation();
        return false;
    };
    if (AdministratorSet() && !m_loginSucceeded) {
        Prompt::Show(QStringLiteral("Vantrel is password protected.  Please enter your username "
                                    "and password to continue shutting down Vantrel"));
        loginShown = true;
        m_loginSucceeded = RunLogin();
        if (!m_loginSucceeded)
            return cancel();
    }
    if (Config().NoShutdownPrompt == 0) {
        const Prompt::Answer answer = Prompt::Show(
            QStringLiteral("WARNING, closing Vantrel will halt the collection of temperature "
                           "data.") +
                kCRLF + kCRLF +
                QStringLiteral("Click YES to close this program, or NO to leave the program "
                               "running."),
            Prompt::Buttons::YesNo, Prompt::Icon::Critical,
            QStringLiteral("Close ") + ProgramInfo::Title() + QStringLiteral("?"));
        if (answer != Prompt::Answer::Yes)
            return cancel();
    }
    LinkState().Running = false;
    SendShutdownEmail();
    StopTimeout();
    StopPolling();
    CloseWinSocket();
    return true;
}

void frmMain::Form_Unload()
{
    if (trayIcon)
        trayIcon->hide();
    m_alert->hide();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void frmMain::SetHourglass(bool on)
{
    if (on)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmMain::ShowProgress(int maximum)
{
    // An empty bar looks the same whatever its maximum: the bar takes it with the first
    // value it shows, so the short waits of every exchange paint nothing.
    m_progressMaximum = maximum;
    ProgressBar->show();
}

int frmMain::ProgressMaximum() const
{
    return m_progressMaximum;
}

void frmMain::SetProgressValue(int value)
{
    if (value == ProgressBar->value() &&
        (value == 0 || ProgressBar->maximum() == m_progressMaximum))
        return;
    // A new value makes the bar paint itself at once; held back, the paint waits for the
    // event loop and takes every change made meanwhile in one.
    ProgressBar->setUpdatesEnabled(false);
    ProgressBar->setRange(0, m_progressMaximum);
    ProgressBar->setValue(value);
    ProgressBar->setUpdatesEnabled(true);
}

void frmMain::HideProgress()
{
    ProgressBar->hide();
}

void frmMain::SetLampColour(qint32 windowsColour)
{
    const QColor colour = WindowsColour(windowsColour);
    QPalette colours = shpGo->palette();
    if (colours.color(QPalette::Window) == colour)
        return;
    // The palette change asks for a paint at the next pass of the event loop.
    colours.setColor(QPalette::Window, colour);
    shpGo->setPalette(colours);
}
