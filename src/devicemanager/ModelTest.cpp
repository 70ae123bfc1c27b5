// What depends on the device's model: its text and gates, the communication test, the
// factory reset and the panels.
#include "frmTreeConfiguration.h"

#include "DeviceCommands.h"
#include "DeviceNamePage.h"
#include "DeviceTransport.h"
#include "Prompt.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>

namespace {

// The stored address of a server; nullopt when it has no row.
std::optional<QString> StoredAddress(qint32 id)
{
    Recordset rs;
    if (!OpenServerRecord(id, rs))
        return std::nullopt;
    return rs.first().value(QStringLiteral("ServerIPAddress")).toString();
}

} // namespace

DeviceIdentity frmTreeConfiguration::Identity() const
{
    const ReplyDecodingState &decoded = Decoded();
    return {decoded.DeviceFamily, decoded.DeviceSubModel, decoded.DeviceRevision};
}

void frmTreeConfiguration::DisplayModel()
{
    const ModelDescription model = DescribeModel(Identity());
    txtModel->setText(model.text);
    cmboUnits->setEnabled(model.unitsEnabled);
}

void frmTreeConfiguration::ApplyModelGates()
{
    const ModelGates gates = GatesFor(Identity());
    frmDateTime->setVisible(gates.dataLogFrame);
    if (gates.dataLogFrame) {
        frmDateTime->setTitle(QStringLiteral("Data Log Parameters for ") + txtServerName->text());
        ClearLog();
    }
    btnDownloadHiLoReadings->setEnabled(gates.hiLoDownload);
    btnMore->setVisible(gates.phoneButton);
}

void frmTreeConfiguration::Sensors()
{
    if (m_busy)
        return;
    const std::optional<QString> ipAddress = StoredAddress(m_currentServerID);
    if (!ipAddress)
        return;
    bool opened = false;
    {
        const BusyScope busy(*this);
        QByteArray reply;
        if (!Exchange(*ipAddress, PadWithNulls(DeviceCommand::Identify()), reply)) {
            Prompt::Show(QStringLiteral("There was an error communicating with the server at IP "
                                        "address") +
                         *ipAddress + QStringLiteral(".  Please try again."));
        } else {
            ParseMessage(DeviceCommand::Identify(), reply);
            const PanelForm form = PanelFor(Identity());
            if (form != PanelForm::None) {
                OpenModelPanel(form, *ipAddress, m_currentServerID);
                opened = true;
            }
        }
        CloseWinSocket();
    }
    if (opened)
        Form_Activate();
}

void frmTreeConfiguration::btnMore_Click()
{
    // Without a stored server there is no address to hand the panel.
    const std::optional<QString> ipAddress = StoredAddress(m_currentServerID);
    if (m_busy || !ipAddress)
        return;
    {
        const BusyScope busy(*this);
        OpenPhoneParameters(QStringLiteral("Phone Parameters for server: ") + txtServerName->text(),
                            *ipAddress);
    }
    Form_Activate();
}

void frmTreeConfiguration::btnTestCommunication_Click()
{
    if (m_busy)
        return;
    const BusyScope busy(*this);
    btnTestCommunication->setText(QStringLiteral("Testing...."));
    const QString ipAddress = txtServerIPAddress->text();
    const QByteArray request = PadWithNulls(DeviceCommand::Identify());
    const QString sent =
        QStringLiteral("  Sent ") + QString::number(request.size()) + QStringLiteral(" Received ");
    QByteArray reply;
    if (!Exchange(ipAddress, request, reply)) {
        ShowResult(QStringLiteral("Failed to communicate with IP address ") + ipAddress + sent +
                       QString::number(reply.size()),
                   true);
        CloseWinSocket();
        Prompt::Show(QStringLiteral("Error reading from IP address ") + ipAddress);
    } else {
        ParseMessage(DeviceCommand::Identify(), reply);
        DisplayModel();
        ShowResult(QStringLiteral("Successfully communicated with ") + txtServerName->text(),
                   false);
        const DeviceIdentity id = Identity();
        if (Exchange(ipAddress, PadWithNulls(DeviceCommand::ReadPage(NamePageNumber(id.family))),
                     reply)) {
            const NamePageFields page = ReadNamePage(reply);
            txtServerName->setText(page.name);
            SetUnits(page.celsius);
        } else {
            txtServerName->clear();
            SetUnits(false);
        }
        CloseWinSocket();
        Prompt::Show(QStringLiteral("Successfully communicated with ") + txtServerName->text() +
                     QLatin1Char(' ') + IdentityText(id) + QStringLiteral(" at IP address ") +
                     ipAddress + sent + QString::number(reply.size()));
    }
    btnTestCommunication->setText(QStringLiteral("Test Communications"));
}

void frmTreeConfiguration::btnRestoreFactoryDefaults_Click()
{
    if (m_busy)
        return;
    const QString name = txtServerName->text();
    if (Prompt::Show(QStringLiteral("Reset '") + name +
                         QStringLiteral("' to factory default values?"),
                     Prompt::Buttons::YesNo, Prompt::Icon::Critical) != Prompt::Answer::Yes) {
        Prompt::Show(name + QStringLiteral(" was not reset to factory defaults."));
        return;
    }
    const BusyScope busy(*this);
    btnRestoreFactoryDefaults->setText(QStringLiteral("Restoring...."));
    QByteArray reply;
    if (Exchange(txtServerIPAddress->text(), PadWithNulls(DeviceCommand::FactoryDefaults()), reply))
        Prompt::Show(QStringLiteral("Successfully set ") + name +
                     QStringLiteral(" user page to factory defaults"));
    else if (IsBusyReply(reply))
        Prompt::Show(name + QStringLiteral(" is currently busy on the phone. The server could not "
                                           "be reset to factory defaults. Please wait and try "
                                           "again."));
    else
        Prompt::Show(QStringLiteral("Error resetting ") + name +
                     QStringLiteral(" to factory defaults"));
    btnRestoreFactoryDefaults->setText(QStringLiteral("Restore Factory Defaults"));
}
