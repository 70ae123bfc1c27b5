#pragma once

#include "KVFunctions.h"
#include "NetworkSettings.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace discovery {

class ModuleLink;

// The start window: finds the network modules, gives the chosen one a static address or
// returns it to DHCP, and leads to the device test, manual addressing, the module's web
// page and the about box. One operation runs at a time; while it waits, every other is
// disabled.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(NetworkSettings settings, QWidget *parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    void Form_Activate();

    void SetupGrid();
    void Discover();
    void SetDeviceIP(const QString &currentAddress, const QStringList &octets);
    void ResetToDHCP();
    void TestDevice(const QString &address);
    void ManualSetIP();
    void OpenDeviceWebPage(const QString &address);

    ModuleLink &Link() { return *m_link; }
    const DeviceIdentity &Identity() const { return m_identity; }

    QPushButton *btnFindFinchs = nullptr;
    QTableWidget *Grid = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QLineEdit *, 4> txtIPOctets{};
    std::array<QLabel *, 3> Label1{};
    QPushButton *btnSetIP = nullptr;
    QPushButton *btnResetDHCP = nullptr;
    QPushButton *btnAdvanced = nullptr;
    QLineEdit *txtDebug = nullptr;
    QListWidget *lstdebug = nullptr;
    QListWidget *lstByte = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QMenu *mnuAdvanced = nullptr;
    QAction *mnuAdvancedNetwork = nullptr;
    QAction *mnuManual = nullptr;
    QAction *mnuTestCommunications = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;

    // Ends the program once control is back in the main event loop; tests replace it.
    std::function<void()> QuitProgram;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    void Grid_Click(int row, int column);
    void txtIPOctets_Change(int index);
    void mnuAdvancedNetwork_Click();
    void mnuTestCommunications_Click();
    void mnuAbout_Click();

    // Runs an operation started from a button or menu unless one is running already.
    void RunOperation(const std::function<void()> &operation);
    // A button's state as the operations set it; shown disabled while an operation runs.
    void SetButtonEnabled(QPushButton *button, bool enabled);
    void ShowEnabledStates();
    void ShowHint(const QString &text);
    void ShowMessage(const QString &text, const QString &title = {});

    std::optional<QString> SetDeviceIPSteps(const QString &currentAddress,
                                            const QStringList &octets);
    // What went wrong before the address is set, for the operator.
    std::optional<QString> ManualSetIPSteps();
    void FillGrid();
    // The chosen row's address; empty when no row is chosen.
    QString ChosenAddress() const;

    ModuleLink *m_link = nullptr;
    DeviceIdentity m_identity;
    QHash<QPushButton *, bool> m_buttonStates;
    bool m_operationRunning = false;
    int m_chosenRow = -1; // table row whose address cell is yellow
};

} // namespace discovery
