#pragma once

#include "DS1337.h"
#include "DeviceLink.h"
#include "DeviceTransport.h"
#include "DeviceModel.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class LogGridModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

// The device manager: the tree of the database's servers, the server frame that adds,
// edits and saves a server and writes its name page on the device, the server's alarm
// recipients, communication test, factory reset and the model panels. While it is open
// it is the device link's tree form, so exchanges drive its pointer and progress bar.
class frmTreeConfiguration : public QDialog, public TransportTreeForm {
    Q_OBJECT

public:
    explicit frmTreeConfiguration(QWidget *parent = nullptr);
    ~frmTreeConfiguration() override;

    // Rebuilds the tree. Runs on first show and after each panel opened from here returns;
    // never from a window event, which every message box would raise too.
    void Form_Activate();

    // Tree and frames.
    void FindServer();
    void HideAllFrames();
    void ShowFrame(qint16 frame);
    void AlignFrame(qint16 frame);
    void ClearBold();

    // The server frame.
    void AddAServer();
    void EditAServer();
    void SaveAServer();
    bool DeleteServer(qint32 id);

    // The e-mail frame.
    bool ParseAddrToList(const QString &emailAddr);
    bool SaveEmail();

    // Identification, test and panels.
    void DisplayModel();
    void Sensors();

    // The log grid shows the table, columns at its widths (width 0 hidden).
    void ShowLog(const LogTable &table);

    qint32 CurrentServerID() const { return m_currentServerID; }
    qint16 CurrentFrame() const { return m_currentFrame; }
    // An operation of this screen is under way and waiting on the event loop.
    bool Busy() const { return m_busy; }

    // The panels this screen opens, modal over it; tests put their own in.
    std::function<void(PanelForm form, const QString &ipAddress, qint32 databaseId)> OpenModelPanel;
    std::function<void(const QString &serverName, const QString &ipAddress)> OpenPhoneParameters;

    // Handlers, public for the wiring and for tests.
    void ServerTree_Click();
    void ServerTree_MouseDown(Qt::MouseButton button, const QPoint &pos);
    void mnuEnableDisable_Click();
    void txtSearchCriteria_Click();
    void btnFindNext_Click();
    void btnRefresh_Click();
    void mnuAdd_Click();
    void mnuEditServer_Click();
    void mnuDeleteServerPopUp_Click();
    void btnSaveServer_Click();
    void btnCancel_Click();
    void btnServerEmailAddresses_Click();
    void btnAddEmail_Click();
    void btnDeleteEmailAddress_Click();
    void lstEmailAddr_MouseDown(Qt::MouseButton button, const QPoint &pos);
    void btnTestEmailAddr_Click();
    void btnCloseEmailFrame_Click();
    void btnSaveEmail_Click();
    void btnMore_Click();
    void btnTestCommunication_Click();
    void btnRestoreFactoryDefaults_Click();
    void btnStoreDateTime_Click();
    void btnGetLogFile_Click();
    void btnDownloadHiLoReadings_Click();
    void btnExportLog_Click();

    QMenuBar *menuBar = nullptr;
    QAction *mnuAdd = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuEditServer = nullptr;
    QAction *mnuEditSensors = nullptr;
    QMenu *mnuPopUp = nullptr;
    QAction *mnuServerPopUp = nullptr;
    QAction *mnuSensorPopUp = nullptr;
    QAction *mnuSeperator = nullptr;
    QAction *mnuEnableDisable = nullptr;
    QAction *mnuDeleteServerPopUp = nullptr;

    QTreeWidget *ServerTree = nullptr;
    QLineEdit *txtSearchCriteria = nullptr;
    QPushButton *btnFindNext = nullptr;
    QProgressBar *ProgressBar = nullptr;

    // frmSetup(0): the server frame.
    QGroupBox *frmSetup0 = nullptr;
    QLineEdit *txtServerName = nullptr;
    QLineEdit *txtServerIPAddress = nullptr;
    QLineEdit *txtModel = nullptr;
    QLineEdit *txtServerNotes = nullptr;
    QLineEdit *txtUserPassword = nullptr;
    QComboBox *cmboUnits = nullptr;
    QCheckBox *chkEnable = nullptr;
    QPushButton *btnSaveServer = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnRefresh = nullptr;
    QPushButton *btnServerEmailAddresses = nullptr;
    QPushButton *btnTestCommunication = nullptr;
    QPushButton *btnRestoreFactoryDefaults = nullptr;
    QPushButton *btnMore = nullptr;
    QLabel *lblServerError = nullptr;

    // frmSetup(2): the e-mail frame.
    QGroupBox *frmSetup2 = nullptr;
    QLineEdit *txtEmailAddr = nullptr;
    QPushButton *btnAddEmail = nullptr;
    QListWidget *lstEmailAddr = nullptr;
    QPushButton *btnDeleteEmailAddress = nullptr;
    QPushButton *btnTestEmailAddr = nullptr;
    QPushButton *btnSaveEmail = nullptr;
    QPushButton *btnCloseEmailFrame = nullptr;

    // The data-log frame.
    QGroupBox *frmDateTime = nullptr;
    QLineEdit *txtDT = nullptr;
    QLineEdit *txtUR = nullptr;
    QLineEdit *txtNR = nullptr;
    QPushButton *btnStoreDateTime = nullptr;
    QPushButton *btnGetLogFile = nullptr;
    QTableView *gridLog = nullptr;
    QPushButton *btnDownloadHiLoReadings = nullptr;
    QPushButton *btnExportLog = nullptr;

    // TransportTreeForm
    void SetHourglass(bool on) override;
    void ShowProgress(int maximum) override;
    int ProgressMaximum() const override;
    void SetProgressValue(int value) override;
    void HideProgress() override;
    void SetServerErrorText(const QString &text) override;
    QString ServerNameText() const override;

public slots:
    // A close (Esc too) waits until the operation under way has ended.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Holds the busy mark and the hourglass for one whole operation.
    class BusyScope {
    public:
        explicit BusyScope(frmTreeConfiguration &screen);
        ~BusyScope();
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        frmTreeConfiguration &m_screen;
    };

    void BuildMenus();
    QGroupBox *BuildServerFrame();
    QGroupBox *BuildEmailFrame();
    QGroupBox *BuildDateTimeFrame();
    void Form_Load();
    void LoadServers();
    QGroupBox *SetupFrame(qint16 frame) const;
    QTreeWidgetItem *SelectedNode() const;
    // The node's server ID, or nullopt for the root and for no node.
    static std::optional<qint32> ServerID(const QTreeWidgetItem *node);
    QTreeWidgetItem *Node(int index) const; // 1-based, as the tree numbers them
    int NodeCount() const;
    int NodeIndex(const QTreeWidgetItem *node) const;
    // Whether the node's text begins with the search text's first character.
    bool Matches(const QTreeWidgetItem *node) const;
    bool SearchIgnored() const;
    void ShowResult(const QString &text, bool failure);
    DeviceIdentity Identity() const;
    void ApplyModelGates();
    void ClearLog();
    // The clock, log rate and record count into the data-log frame's boxes.
    void ReadClock(const QString &ipAddress);
    void SetUnits(bool celsius);
    // One 60-byte exchange with the device, the connection left open.
    static bool Exchange(const QString &ipAddress, const QByteArray &request, QByteArray &reply,
                         const TextFields &textFields = {});
    void StoreServerRow(bool isNew, qint16 enabled, qint16 comm, const QString &emails);

    // CurrentFrame's value while the e-mail frame is requested.
    static constexpr qint16 kEmailFrame = 17;

    qint32 m_currentServerID = 0;
    qint16 m_currentFrame = 0;
    bool m_busy = false;
    LogGridModel *m_logModel = nullptr;
    // The last download of this screen, data log or high/low records; "Fail" after a failure.
    QByteArray m_logData;
    bool m_shown = false;
};

// Opens the device manager modally over the main window (its menu entry).
void RunDeviceManager(QWidget *owner);
