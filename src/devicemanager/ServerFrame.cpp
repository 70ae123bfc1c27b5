// The server frame: adding, loading, saving and deleting a server, and its name page.
#include "frmTreeConfiguration.h"

#include "AlarmRecipients.h"
#include "AnsiText.h"
#include "DeviceCommands.h"
#include "DeviceNamePage.h"
#include "DeviceTransport.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "Prompt.h"
#include "RecordLayouts.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"
#include "StatusGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlRecord>
#include <QTreeWidget>

namespace {

const QString kNewServerCaption = QStringLiteral("Add a new server");
const QString kNameRule =
    QStringLiteral("Please enter a server name that can be part of a file name: without \"/\" "
                   "or control characters, not \".\" or \"..\", and of at most %1 bytes.")
        .arg(kMaxPlainFileNameBytes);
const QString kOnThePhone =
    QStringLiteral(" is currently on the phone. The server will be added to the monitoring "
                   "system but will not be enabled.");

// A typed name must also be an ordinary name of its own, printable, and short enough for
// every server number, counted in the bytes the file name is written in.
bool IsNameForEntry(const QString &name)
{
    if (!IsPlainFileName(name) || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return false;
    return QFile::encodeName(name).size() <= kMaxPlainFileNameBytes;
}

// The stored row of a newly added server: the newest holding its address.
std::optional<qint32> AddedServerID(const QString &ipAddress)
{
    Recordset rows;
    qint32 count = 0;
    if (!RecordServers(rows, count))
        return std::nullopt;
    std::optional<qint32> id;
    for (const QSqlRecord &row : std::as_const(rows)) {
        const qint32 rowId = row.value(QStringLiteral("IDNum")).toInt();
        if (row.value(QStringLiteral("ServerIPAddress")).toString() == ipAddress &&
            (!id || rowId > *id))
            id = rowId;
    }
    return id;
}

} // namespace

QGroupBox *frmTreeConfiguration::BuildServerFrame()
{
    frmSetup0 = Named(new QGroupBox(QStringLiteral("Server"), this), u"frmSetup0");
    QGroupBox *frame = frmSetup0;
    txtServerName = Named(new QLineEdit(frame), u"txtServerName");
    txtServerIPAddress = Named(new QLineEdit(frame), u"txtServerIPAddress");
    txtModel = Named(new QLineEdit(QStringLiteral("Server model could not be determined"), frame),
                     u"txtModel");
    txtServerNotes = Named(new QLineEdit(frame), u"txtServerNotes");
    txtUserPassword = Named(new QLineEdit(QStringLiteral("****"), frame), u"txtUserPassword");
    cmboUnits = Named(new QComboBox(frame), u"cmboUnits");
    chkEnable = Named(new QCheckBox(QStringLiteral("Enable this Device"), frame), u"chkEnable");
    btnSaveServer = Named(new QPushButton(QStringLiteral("Save"), frame), u"btnSaveServer");
    btnCancel = Named(new QPushButton(QStringLiteral("Close"), frame), u"btnCancel");
    btnRefresh = Named(new QPushButton(QStringLiteral("Refresh"), frame), u"btnRefresh");
    btnServerEmailAddresses = Named(new QPushButton(QStringLiteral("Alarm Email Addresses"), frame),
                                    u"btnServerEmailAddresses");
    btnTestCommunication = Named(new QPushButton(QStringLiteral("Test Communications"), frame),
                                 u"btnTestCommunication");
    btnRestoreFactoryDefaults =
        Named(new QPushButton(QStringLiteral("Restore Factory Defaults"), frame),
              u"btnRestoreFactoryDefaults");
    btnMore = Named(new QPushButton(QStringLiteral("Phone"), frame), u"btnMore");
    btnMore->setToolTip(QStringLiteral("Program all phone parameters"));
    lblServerError = Named(new QLabel(frame), u"lblServerError");
    WrapLabel(lblServerError);
    lblServerError->setMinimumWidth(360);

    auto *grid = new QGridLayout(frame);
    const std::pair<const char *, QWidget *> fields[] = {
        {"Server Name:", txtServerName}, {"IP Address:", txtServerIPAddress},
        {"Server Model:", txtModel},     {"Notes:", txtServerNotes},
        {"Password:", txtUserPassword},  {"Temperature Display Units:", cmboUnits},
    };
    int row = 0;
    for (const auto &[label, box] : fields) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), frame), row, 0);
        grid->addWidget(box, row++, 1, 1, 2);
    }
    grid->addWidget(chkEnable, row++, 1, 1, 2);
    grid->addWidget(btnServerEmailAddresses, row, 0);
    grid->addWidget(btnTestCommunication, row, 1);
    grid->addWidget(btnRestoreFactoryDefaults, row++, 2);
    grid->addWidget(btnMore, row, 0);
    grid->addWidget(btnRefresh, row, 1);
    grid->addWidget(btnSaveServer, row++, 2);
    grid->addWidget(btnCancel, row++, 2);
    grid->addWidget(lblServerError, row, 0, 1, 3);

    connect(btnSaveServer, &QPushButton::clicked, this, &frmTreeConfiguration::btnSaveServer_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmTreeConfiguration::btnCancel_Click);
    connect(btnRefresh, &QPushButton::clicked, this, &frmTreeConfiguration::btnRefresh_Click);
    connect(btnServerEmailAddresses, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnServerEmailAddresses_Click);
    connect(btnTestCommunication, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnTestCommunication_Click);
    connect(btnRestoreFactoryDefaults, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnRestoreFactoryDefaults_Click);
    connect(btnMore, &QPushButton::clicked, this, &frmTreeConfiguration::btnMore_Click);
    // Typing undoes the yellow of a refused entry.
    for (QLineEdit *box : {txtServerName, txtServerIPAddress})
        connect(box, &QLineEdit::textChanged, this, [box] { SetBackColour(box, kColourWhite); });
    return frame;
}

bool frmTreeConfiguration::Exchange(const QString &ipAddress, const QByteArray &request,
                                    QByteArray &reply, const TextFields &textFields)
{
    return ReadFromKV(ipAddress, kDevicePort, request, reply, kFrameLength, ProgressForm::None,
                      false, textFields);
}

void frmTreeConfiguration::SetUnits(bool celsius)
{
    cmboUnits->setCurrentIndex(celsius ? 1 : 0);
}

void frmTreeConfiguration::mnuAdd_Click()
{
    if (m_busy)
        return;
    HideAllFrames();
    m_currentServerID = -1;
    AddAServer();
}

void frmTreeConfiguration::AddAServer()
{
    frmSetup0->setTitle(kNewServerCaption);
    lstEmailAddr->clear();
    txtEmailAddr->clear();
    txtServerName->clear();
    txtServerIPAddress->clear();
    txtModel->setText(QStringLiteral("Unknown server model"));
    lblServerError->hide();
    // Shown after the add: it must not carry the last server's result.
    lblServerError->clear();
    txtServerNotes->clear();
    chkEnable->setChecked(true);
    // The phone button of the server shown before would open a panel with no address.
    btnMore->hide();
    frmSetup0->show();
}

void frmTreeConfiguration::mnuEditServer_Click()
{
    const QTreeWidgetItem *node = SelectedNode();
    if (!node) {
        Prompt::Show(QStringLiteral("Please select a server from the list to edit"));
        return;
    }
    const std::optional<qint32> id = ServerID(node);
    if (!id) {
        m_currentFrame = -1;
        ShowFrame(-1);
        return;
    }
    if (m_busy) {
        lblServerError->setText(QStringLiteral("System Busy"));
        return;
    }
    const BusyScope busy(*this);
    HideAllFrames();
    m_currentServerID = *id;
    EditAServer();
}

void frmTreeConfiguration::EditAServer()
{
    lstEmailAddr->clear();
    txtEmailAddr->clear();
    txtDT->clear();
    txtUR->clear();
    txtNR->clear();
    Recordset rs;
    if (!OpenServerRecord(m_currentServerID, rs)) {
        CloseWinSocket();
        return;
    }
    const QSqlRecord row = rs.first();
    const QString ipAddress = row.value(QStringLiteral("ServerIPAddress")).toString();
    const QString storedName = row.value(QStringLiteral("ServerName")).toString();
    txtServerIPAddress->setText(ipAddress);
    txtServerNotes->setText(row.value(QStringLiteral("ServerNotes")).toString());
    txtUserPassword->setText(row.value(QStringLiteral("UserPassword")).toString());
    chkEnable->setChecked(row.value(QStringLiteral("Enabled")).toInt() != 0);
    ParseAddrToList(row.value(QStringLiteral("EmailAddress")).toString());
    frmSetup0->setTitle(QStringLiteral("Edit: ") + storedName);
    lblServerError->show();
    lblServerError->clear();

    QByteArray reply;
    if (Exchange(ipAddress, PadWithNulls(DeviceCommand::Identify()), reply)) {
        ParseMessage(DeviceCommand::Identify(), reply);
        const QByteArray pageRequest =
            PadWithNulls(DeviceCommand::ReadPage(NamePageNumber(Decoded().DeviceFamily)));
        DisplayModel();
        if (Exchange(ipAddress, pageRequest, reply, NamePageTextFields())) {
            const NamePageFields page = ReadNamePage(reply);
            txtServerName->setText(page.name);
            SetUnits(page.celsius);
            ShowResult(QStringLiteral("Successfully downloaded data from ") + page.name +
                           QLatin1Char(' ') + IdentityText(Identity()),
                       false);
        } else {
            const QString name = storedName.trimmed();
            txtServerName->setText(name);
            // A device on the phone answers with the busy reply, which is no echo.
            ShowResult(IsBusyReply(reply)
                           ? name + QStringLiteral(" is currently on the phone.  "
                                                   "Please wait and try again later.")
                           : QStringLiteral("There was an error downloading data "
                                            "from ") +
                                 name,
                       true);
        }
        if (GatesFor(Identity()).readClock)
            ReadClock(ipAddress);
    } else {
        const QString name = storedName.trimmed();
        txtServerName->setText(name);
        ShowResult(QStringLiteral("There was an error downloading data from ") + name, true);
        txtModel->setText(row.value(QStringLiteral("ServerModel")).toString());
    }
    AlignFrame(0);
    ApplyModelGates();
    CloseWinSocket();
}

void frmTreeConfiguration::btnSaveServer_Click()
{
    if (m_busy)
        return;
    const BusyScope busy(*this);
    SaveAServer();
}

void frmTreeConfiguration::SaveAServer()
{
    const bool isNew = frmSetup0->title() == kNewServerCaption;
    const QString ipAddress = txtServerIPAddress->text();
    if (isNew) {
        QString holder;
        if (!VerifyUniqueIPAddress(ipAddress, holder)) {
            Prompt::Show(QStringLiteral("The IP address ") + ipAddress +
                         QStringLiteral(" is currently being used by ") + holder.trimmed() +
                         QStringLiteral(".  Please enter a unique IP address."));
            return;
        }
    }
    for (const auto &[box, missing] :
         {std::pair{txtServerName, QStringLiteral("Please enter a name for this server.")},
          std::pair{txtServerIPAddress, QStringLiteral("Please enter the IP address.")}}) {
        if (box->text().isEmpty()) {
            SetBackColour(box, kColourYellow);
            box->setFocus();
            Prompt::Show(missing);
            return;
        }
    }
    // The name is part of the server's record file name.
    if (!IsNameForEntry(txtServerName->text())) {
        SetBackColour(txtServerName, kColourYellow);
        txtServerName->setFocus();
        Prompt::Show(kNameRule);
        return;
    }
    QStringList addresses;
    for (int i = 0; i < lstEmailAddr->count(); ++i)
        addresses << lstEmailAddr->item(i)->text();
    if (txtUserPassword->text().isEmpty())
        txtUserPassword->setText(QStringLiteral("****"));

    qint16 enabled = 0;
    qint16 comm = 0;
    if (chkEnable->isChecked()) {
        QByteArray reply;
        if (!Exchange(ipAddress, PadWithNulls(DeviceCommand::Identify()), reply)) {
            Prompt::Show(QStringLiteral("Can not communicate with") + ipAddress);
            return;
        }
        ParseMessage(DeviceCommand::Identify(), reply);
        DisplayModel();
        const QString name = txtServerName->text();
        if (!Exchange(ipAddress,
                      PadWithNulls(DeviceCommand::ReadPage(NamePageNumber(Decoded().DeviceFamily))),
                      reply, NamePageTextFields())) {
            if (IsBusyReply(reply)) {
                ShowResult(name + kOnThePhone, false);
                comm = -1;
                Prompt::Show(name +
                             QStringLiteral(" is currently on the phone.  The server will be "
                                            "added to the monitoring system but will not "
                                            "be enabled."));
            } else {
                ShowResult(
                    QStringLiteral("There was an error uploading the server data to ") + name +
                        QStringLiteral(".  Before proceeding please verify the IP address, "
                                       "and that ") +
                        name + QStringLiteral(" is powered on and connected to the network. ") +
                        name + QStringLiteral(" has been added to the database."),
                    true);
                Prompt::Show(QStringLiteral("There was an error uploading data to ") + name +
                             QStringLiteral(".  Before proceeding please verify the IP address you "
                                            "are using and that ") +
                             name +
                             QStringLiteral(" is powered on and connected to the network. ") +
                             name + QStringLiteral(" has been added to the database."));
            }
        } else {
            const QByteArray store = StoreNamePage(
                reply, name, char(cmboUnits->currentText().at(1).toLatin1()), ipAddress);
            const QString nameField = FromAnsi(store.mid(8, 20));
            if (Exchange(ipAddress, store, reply) && reply == store) {
                ShowResult(QStringLiteral("Successfully uploaded data to ") + nameField, false);
                enabled = 1;
                comm = -1;
            } else if (IsBusyReply(reply)) {
                ShowResult(nameField + kOnThePhone, false);
                Prompt::Show(nameField + kOnThePhone);
            } else {
                ShowResult(QStringLiteral("There was an error uploading the server data to ") +
                               name + QLatin1Char('.'),
                           false);
                Prompt::Show(QStringLiteral("There was an error uploading the server data to ") +
                             name +
                             QStringLiteral(".  Before proceeding please verify the IP address you "
                                            "are using and that ") +
                             name + QStringLiteral(" is powered on and connected to the network."));
            }
        }
    }
    StoreServerRow(isNew, enabled, comm, JoinAddresses(addresses));
    CloseWinSocket();
}

void frmTreeConfiguration::StoreServerRow(bool isNew, qint16 enabled, qint16 comm,
                                          const QString &emails)
{
    const QString name = txtServerName->text();
    const QString ipAddress = txtServerIPAddress->text();
    if (isNew) {
        const bool added = AddServer(name, txtModel->text(), ipAddress, txtServerNotes->text(),
                                     enabled, txtUserPassword->text(), emails, comm);
        if (!added)
            Prompt::Show(name + QStringLiteral("'s data was not added to the server database.  "
                                               "The error is "));
        LoadServers();
        // Selected by its new number: the tree is in name order, and names may repeat.
        const std::optional<qint32> id = added ? AddedServerID(ipAddress) : std::nullopt;
        for (int i = 2; id && i <= NodeCount(); ++i) {
            if (ServerID(Node(i)) == id) {
                ServerTree->setCurrentItem(Node(i));
                m_currentServerID = *id;
                // From here on the frame edits the stored row: a second Save updates it.
                frmSetup0->setTitle(QStringLiteral("Edit: ") + name);
                lblServerError->show();
            }
        }
        return;
    }
    if (!UpdateServer(m_currentServerID, name, txtModel->text(), ipAddress, txtServerNotes->text(),
                      enabled, txtUserPassword->text(), emails, comm))
        Prompt::Show(name + QStringLiteral("'s data could not be updated to the server database.  "
                                           "The error is "));
    LoadServers();
}

void frmTreeConfiguration::btnCancel_Click()
{
    if (m_busy)
        return;
    ShowFrame(-1);
}

void frmTreeConfiguration::mnuDeleteServerPopUp_Click()
{
    if (m_busy)
        return;
    const QTreeWidgetItem *node = SelectedNode();
    const std::optional<qint32> id = ServerID(node);
    if (!id) {
        Prompt::Show(QStringLiteral("Please select a server"));
        return;
    }
    const QString text = node->text(0);
    if (Prompt::Show(QStringLiteral("Delete ") + text + QLatin1Char('?'), Prompt::Buttons::OkCancel,
                     Prompt::Icon::Exclamation,
                     QStringLiteral("Delete Server?")) != Prompt::Answer::Ok) {
        Prompt::Show(QStringLiteral("Server has not been deleted"));
        return;
    }
    const bool deleted = DeleteServer(*id);
    LoadServers();
    HideAllFrames();
    if (deleted)
        Prompt::Show(QStringLiteral("Server has been deleted"));
}

bool frmTreeConfiguration::DeleteServer(qint32 id)
{
    QString error;
    if (DeleteServerRecords(id, error))
        return true;
    Prompt::Show(QStringLiteral("Error in DeleteServer is ") + error);
    return false;
}
