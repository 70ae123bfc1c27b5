#pragma once

#include "DeviceLink.h"
#include "StatusBoard.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class AlertPopup;
class EventsFrame;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class StatusGridTable;
class StatusList;
class TrendChart;

// The station's main window and start-up form: loading it starts everything, and its
// activation (re)starts monitoring. It owns the program's timers and device link and
// wires them, the views and the menus to the core.
class frmMain final : public QMainWindow, public TransportMainForm {
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: menus, views, splash, tray icon and caption; activation follows.
    void Form_Load();
    // Runs activation now, or when the polling cycle under way ends.
    void RequestActivation();
    // Re-reads and re-checks the settings and restarts the poll clock. Called after load
    // and after each modal window opened from here returns; never from a window event,
    // which a message box or another program's window would also raise.
    void Form_Activate();

    // 1 status, 2 trend, 3 events; any other value does nothing.
    void VTPShow(int what);
    void ConfigureServerStatusGrid(int numSensors);

    bool LoginSucceeded() const { return m_loginSucceeded; }
    int TickLimit() const { return m_tickLimit; }
    int ActivationCount() const { return m_activationCount; }

    // What this window opens or asks of the desktop; tests put their own in.
    // The log-in box, modal; gives LoginSucceeded after it.
    std::function<bool()> RunLogin;
    std::function<void()> RunConfiguration;
    std::function<void()> RunDeviceManager;
    std::function<bool()> TrayAvailable;
    std::function<void()> QuitProgram;
    int SplashMilliseconds = 1000;

    // The handlers, public for the menu and timer wiring and for tests.
    void tmrInterupt_Timer();
    void btnUpdate_Click();
    void btnMax_Click();
    void btnFreezeExamine_Click();
    void mnuTree_Click();
    void mnuOrganization_Click();
    void mnuLogIn_Click();
    void mnuAbout_Click();
    void mnuStatusFrame_Click();
    void mnuTrending_Click();
    void mnuAlarmFrame_Click();
    void mPopRestore_Click();

    QMenu *mnuConfig = nullptr;
    QAction *mnuTree = nullptr;
    QAction *mnuOrganization = nullptr;
    QAction *mnuS = nullptr;
    QAction *mnuLogIn = nullptr;
    QAction *mnuStatusFrame = nullptr;
    QAction *mnuTrending = nullptr;
    QAction *mnuAlarmFrame = nullptr;
    QAction *mnuAbout = nullptr;
    QMenu *mPopupSys = nullptr;
    QAction *mPopRestore = nullptr;

    QFrame *frmStatus = nullptr;
    StatusGridTable *gridServerStatus = nullptr;
    StatusList *lstStatus = nullptr;
    QPushButton *btnMax = nullptr;
    QPushButton *btnUpdate = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QLabel *shpGo = nullptr;
    StatusGridTable *Grid2 = nullptr;
    StatusGridTable *Grid3 = nullptr;
    QWidget *trendView = nullptr;
    TrendChart *XYChart4 = nullptr;
    QPushButton *btnFreezeExamine = nullptr;
    EventsFrame *frmErrors = nullptr;
    QTimer *tmrInterupt = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;

    // TransportMainForm
    void SetHourglass(bool on) override;
    void ShowProgress(int maximum) override;
    int ProgressMaximum() const override;
    void SetProgressValue(int value) override;
    void HideProgress() override;
    void SetLampColour(qint32 windowsColour) override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildMenus();
    void BuildViews();
    void SetStatusGridColours(int setting);
    // Trims the stored administrator credentials; true when both are set.
    bool AdministratorSet();
    void SetLoginMenuState();
    // The end of a cycle: the grid takes input again and a deferred activation runs.
    void EndOfCycle();
    bool Form_QueryUnload();
    void Form_Unload();

    DeviceLink m_link;
    StatusBoard m_board;
    std::unique_ptr<AlertPopup> m_alert;
    QString m_savedCaption;
    bool m_loginSucceeded = false;
    int m_tickLimit = 0;
    int m_tickCount = 0;
    int m_activationCount = 0;
    bool m_activationPending = false;
    // Whether the last activation started the poll clock (it keeps it stopped without a
    // named sensor); nothing else restarts the clock against that.
    bool m_pollClockWanted = false;
    int m_progressMaximum = 0;
};
