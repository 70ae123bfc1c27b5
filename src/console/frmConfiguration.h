#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

// The settings screen over the in-memory settings record. Apply checks the boxes, copies
// them into the record and saves it; closing with unsaved typing asks first.
class frmConfiguration : public QDialog {
    Q_OBJECT

public:
    explicit frmConfiguration(QWidget *parent = nullptr);

    QTabWidget *SSTab = nullptr;
    QPushButton *btnApply = nullptr;
    QPushButton *btnClose = nullptr;

    QLineEdit *txtCommunicationRetry = nullptr;
    QLineEdit *txtTCPTimeOut = nullptr;

    QLineEdit *txtHost = nullptr;
    QLineEdit *txtFromAddress = nullptr;
    QLineEdit *txtServerFailureEmailAddress = nullptr;
    QLabel *lblAddressHelp = nullptr;
    QCheckBox *chkSystemOKEmail = nullptr;
    QLineEdit *txtOKHour = nullptr;
    QComboBox *cmboAMPM = nullptr;
    QComboBox *cmboReminder = nullptr;
    QLineEdit *txtAlarmEmailSubjectLine = nullptr;
    QPushButton *btnTestEmail = nullptr;
    QPushButton *btnAdvanced = nullptr;

    QLineEdit *txtOrgName = nullptr;
    QLineEdit *txtOrgAddress = nullptr;
    QLineEdit *txtOrgPhoneNumber = nullptr;

    QCheckBox *chkEnableTrending = nullptr;
    QLabel *lblEnableTrending = nullptr;

    QLineEdit *txtUpdateRate = nullptr;
    QComboBox *cmboStatusGrid = nullptr;
    QCheckBox *chkPopUps = nullptr;
    QPushButton *btnLogDir = nullptr;
    QLabel *lblLogDir = nullptr;

    QLineEdit *txtUN = nullptr;
    QLineEdit *txtPW[2] = {};
    QPushButton *btnClearUNPW = nullptr;
    QCheckBox *chkConfirmShutdown = nullptr;
    QLabel *lblAdminHelp[2] = {};

    // The printer options are never shown; their values pass through load and Apply.
    QGroupBox *Frame2 = nullptr;
    QComboBox *cmboAutoPrintReport = nullptr;
    QLineEdit *txtTimeToPrint = nullptr;
    QLabel *lblPrinter = nullptr;
    QPushButton *btnPrinter = nullptr;
    QListWidget *lstPrinters = nullptr;

public slots:
    // Closing asks first when typing changed a setting that was not saved.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *NetworkTab();
    QWidget *AlarmEmailTab();
    QWidget *OrganizationTab();
    QWidget *TrendingTab();
    QWidget *DataLoggingTab();
    QWidget *AdministratorTab();
    QGroupBox *AutoReportFrame();
    void TrackChanges();

    void Load();
    void Activate();
    void btnApply_Click();
    bool Apply();
    void btnTestEmail_Click();
    void btnClearUNPW_Click();
    void btnLogDir_Click();
    void btnAdvanced_Click();
    // Brings the box's tab to the front, marks the box yellow and gives it the focus.
    void MarkRefused(QLineEdit *box);

    bool m_settingsChanged = false; // SettingsChanged: typing since the last activation or save
    qint16 m_printerIndex = 0;
};
