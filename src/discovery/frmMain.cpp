#include "frmMain.h"

#include "DeviceCommands.h"
#include "ExternalPrograms.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "LineEditKeyFilter.h"
#include "ModuleLink.h"
#include "ModuleSetupProtocol.h"
#include "ProgramInfo.h"
#include "Prompt.h"
#include "WindowsColour.h"
#include "frmAbout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

#include <algorithm>

namespace discovery {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
// The system's active-border colour, behind the hints.
const QColor kHint(180, 180, 180);

constexpr QChar kCR = u'\r';
constexpr int kAddressColumn = 1;
constexpr int kMacColumn = 2;
// Grid columns in twips, at 15 twips a pixel.
constexpr int kColumnTwips[] = {1000, 2000, 2000};
constexpr int kTwipsPerPixel = 15;

QPushButton *ColouredButton(const QString &caption, const QColor &colour, QStringView name,
                            QWidget *parent)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    // Greyed out, it keeps its colour, and the caption stays readable: darker grey text.
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     palette.color(QPalette::Disabled, QPalette::ButtonText).darker(200));
    button->setPalette(palette);
    return button;
}

// An octet's number; anything above 255 counts as 256. Nothing for a text that is no
// number.
std::optional<int> OctetValue(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value <= 255 ? value : 256;
}

QString Joined(std::initializer_list<QString> lines)
{
    return QStringList(lines).join(kCR);
}

} // namespace

frmMain::frmMain(NetworkSettings settings, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    BuildControls();
    m_link = new ModuleLink(std::move(settings), ProgressBar, this);
    QuitProgram = [] {
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    };
}

frmMain::~frmMain() = default;

void frmMain::BuildControls()
{
    auto *form = new QWidget(this);
    setCentralWidget(form);
    btnFindFinchs =
        ColouredButton(QStringLiteral("Find all Zarvo devices on the local network \"segment\""),
                       QColor(0, 255, 255), u"btnFindFinchs", form);
    Grid = Named(new QTableWidget(form), u"Grid");
    Grid->setColumnCount(3);
    Grid->setHorizontalHeaderLabels(
        {QStringLiteral("Device #"), QStringLiteral("IP Address"), QStringLiteral("MAC Address")});
    Grid->verticalHeader()->hide();
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::NoSelection);
    int gridTwips = 100;
    for (int column = 0; column < 3; ++column) {
        Grid->setColumnWidth(column, kColumnTwips[column] / kTwipsPerPixel);
        gridTwips += kColumnTwips[column];
    }
    Grid->setFixedWidth(gridTwips / kTwipsPerPixel);
    Label2 = Named(new QLabel(QStringLiteral("Enter the Static IP Address"), form), u"Label2");
    auto *octetRow = new QHBoxLayout;
    for (int k = 0; k < 4; ++k) {
        txtIPOctets[k] = Named(new QLineEdit(form), QStringLiteral("txtIPOctets(%1)").arg(k));
        SizeForText(txtIPOctets[k], 3, BoxText::Digits);
        txtIPOctets[k]->installEventFilter(new LineEditKeyFilter(KeyRule::Digits, txtIPOctets[k]));
        connect(txtIPOctets[k], &QLineEdit::textChanged, this,
                [this, k] { txtIPOctets_Change(k); });
        octetRow->addWidget(txtIPOctets[k]);
        if (k < 3) {
            Label1[k] =
                Named(new QLabel(QStringLiteral("."), form), QStringLiteral("Label1(%1)").arg(k));
            octetRow->addWidget(Label1[k]);
        }
    }
    btnSetIP = ColouredButton(QStringLiteral("Set the selected server's IP address to   >>>"),
                              QColor(192, 255, 192), u"btnSetIP", form);
    btnResetDHCP = ColouredButton(QStringLiteral("Reset the selected server back to DHCP"),
                                  QColor(255, 128, 0), u"btnResetDHCP", form);
    btnAdvanced =
        Named(new QPushButton(QStringLiteral("Advanced Network Setup"), form), u"btnAdvanced");
    btnAdvanced->setAutoDefault(false);
    txtDebug = Named(new QLineEdit(form), u"txtDebug");
    lstdebug = Named(new QListWidget(form), u"lstdebug");
    lstByte = Named(new QListWidget(form), u"lstByte");
    ProgressBar = Named(new QProgressBar(form), u"ProgressBar");
    ProgressBar->setTextVisible(false);

    auto *layout = new QGridLayout(form);
    layout->addWidget(btnFindFinchs, 0, 0, 1, 2);
    layout->addWidget(Grid, 1, 0, 6, 1);
    layout->addWidget(Label2, 1, 1);
    octetRow->addWidget(btnSetIP);
    layout->addLayout(octetRow, 2, 1);
    layout->addWidget(btnResetDHCP, 3, 1);
    layout->addWidget(btnAdvanced, 4, 1);
    layout->addWidget(lstdebug, 5, 1);
    layout->addWidget(lstByte, 6, 1);
    layout->addWidget(txtDebug, 7, 0, 1, 2);
    layout->addWidget(ProgressBar, 8, 0, 1, 2);

    mnuAdvanced = Named(menuBar()->addMenu(QStringLiteral("&Advanced")), u"mnuAdvanced");
    mnuAdvancedNetwork =
        Named(mnuAdvanced->addAction(QStringLiteral("Set IP, Gateway, Subnet via Web")),
              u"mnuAdvancedNetwork");
    mnuManual = Named(mnuAdvanced->addAction(QStringLiteral("Manually Set IP")), u"mnuManual");
    mnuTestCommunications = Named(mnuAdvanced->addAction(QStringLiteral("Test Communications")),
                                  u"mnuTestCommunications");
    mnuHelp = Named(menuBar()->addMenu(QStringLiteral("&Help")), u"mnuHelp");
    mnuAbout = Named(mnuHelp->addAction(QStringLiteral("&About")), u"mnuAbout");

    connect(btnFindFinchs, &QPushButton::clicked, this,
            [this] { RunOperation([this] { Discover(); }); });
    connect(btnSetIP, &QPushButton::clicked, this, [this] {
        RunOperation([this] {
            const QString address = ChosenAddress();
            if (address.isEmpty())
                return;
            QStringList octets;
            for (const QLineEdit *box : txtIPOctets)
                octets << box->text();
            SetDeviceIP(address, octets);
        });
    });
    connect(btnResetDHCP, &QPushButton::clicked, this,
            [this] { RunOperation([this] { ResetToDHCP(); }); });
    connect(btnAdvanced, &QPushButton::clicked, this, [this] {
        RunOperation([this] {
            if (!ChosenAddress().isEmpty())
                OpenDeviceWebPage(ChosenAddress());
        });
    });
    connect(mnuAdvancedNetwork, &QAction::triggered, this,
            [this] { RunOperation([this] { mnuAdvancedNetwork_Click(); }); });
    connect(mnuManual, &QAction::triggered, this,
            [this] { RunOperation([this] { ManualSetIP(); }); });
    connect(mnuTestCommunications, &QAction::triggered, this,
            [this] { RunOperation([this] { mnuTestCommunications_Click(); }); });
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(Grid, &QTableWidget::cellClicked, this, &frmMain::Grid_Click);
    connect(lstdebug, &QListWidget::itemDoubleClicked, this,
            [this](const QListWidgetItem *item) { txtDebug->setText(item->text()); });

    SetButtonEnabled(btnFindFinchs, true);
    SetButtonEnabled(btnSetIP, false);
    SetButtonEnabled(btnResetDHCP, false);
    SetButtonEnabled(btnAdvanced, false);
}

void frmMain::Form_Load()
{
    txtDebug->clear();
    SetupGrid();
    m_link->SetRunning(true);
    adjustSize();
    CentreOnScreen(this);
    show();
    Form_Activate();
}

void frmMain::Form_Activate()
{
    ShowHint(
        QStringLiteral("Click the large button to find all of the Zarvo devices on the network"));
    setWindowTitle(QStringLiteral("QRB IP Address Setup ") + ProgramInfo::VersionNumbers());
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Any wait on the stack gives up at its next look; the operation then ends quietly.
    m_link->SetRunning(false);
    event->accept();
    QuitProgram();
}

void frmMain::RunOperation(const std::function<void()> &operation)
{
    if (m_operationRunning || !m_link->Running())
        return;
    m_operationRunning = true;
    ShowEnabledStates();
    operation();
    m_operationRunning = false;
    ShowEnabledStates();
}

void frmMain::SetButtonEnabled(QPushButton *button, bool enabled)
{
    m_buttonStates.insert(button, enabled);
    button->setEnabled(enabled && !m_operationRunning);
}

void frmMain::ShowEnabledStates()
{
    for (auto it = m_buttonStates.cbegin(); it != m_buttonStates.cend(); ++it)
        it.key()->setEnabled(it.value() && !m_operationRunning);
    for (QAction *command : {mnuAdvancedNetwork, mnuManual, mnuTestCommunications})
        command->setEnabled(!m_operationRunning);
}

void frmMain::ShowHint(const QString &text)
{
    txtDebug->setText(text);
    SetBackColour(txtDebug, WindowsColourValue(kHint));
}

void frmMain::ShowMessage(const QString &text, const QString &title)
{
    if (m_link->Running())
        Prompt::Show(text, Prompt::Buttons::Ok, Prompt::Icon::None, title);
}

void frmMain::SetupGrid()
{
    Grid->clearContents();
    Grid->setRowCount(1);
    m_chosenRow = -1;
}

void frmMain::Grid_Click(int row, int column)
{
    const QTableWidgetItem *cell = Grid->item(row, column);
    // Only an address chooses a device; any other click leaves the choice as it is.
    if (column != kAddressColumn || !cell || cell->text().isEmpty())
        return;
    for (int i = 0; i < Grid->rowCount(); ++i) {
        if (QTableWidgetItem *address = Grid->item(i, kAddressColumn))
            address->setBackground(i == row ? kYellow : kWhite);
    }
    m_chosenRow = row;
    txtDebug->setText(QStringLiteral("Enter the new IP address and click on the green button to "
                                     "send the new IP address to this Zarvo device."));
    txtIPOctets[3]->setFocus();
    SetButtonEnabled(btnSetIP, true);
    SetButtonEnabled(btnResetDHCP, true);
    SetButtonEnabled(btnAdvanced, true);
}

QString frmMain::ChosenAddress() const
{
    const QTableWidgetItem *cell =
        m_chosenRow < 0 ? nullptr : Grid->item(m_chosenRow, kAddressColumn);
    return cell ? cell->text() : QString();
}

void frmMain::txtIPOctets_Change(int index)
{
    if (txtIPOctets[index]->text().size() == 3 && index < 3)
        txtIPOctets[index + 1]->setFocus();
}

void frmMain::Discover()
{
    for (QPushButton *button : {btnFindFinchs, btnSetIP, btnResetDHCP, btnAdvanced})
        SetButtonEnabled(button, false);
    m_link->ClearReplies();
    SetupGrid();
    lstdebug->clear();
    ShowHint(QStringLiteral("Locating available Zarvo devices, please wait."));
    m_link->CloseSocket();
    if (!m_link->OpenUdpBroadcast()) {
        if (!m_link->Running())
            return;
        lstdebug->addItem(QStringLiteral("Failed to establish UDP socket"));
    } else if (!m_link->SendSocket(DiscoveryQuery())) {
        ShowMessage(QStringLiteral("There was an error when trying to locate Zarvo devices on the "
                                   "networking.  The error is : ") +
                    m_link->SocketError());
    } else {
        if (!m_link->WaitMs(m_link->Wait().discoveryWait))
            return;
        if (m_link->ReplyCount() == -1) {
            ShowMessage(
                Joined({QStringLiteral("No Zarvo devices were detected on the network."),
                        QStringLiteral("Your network or computer may not be able to receive "
                                       "UDP data or may have the port 77FE blocked "),
                        QStringLiteral("Try using the 'Manually Set IP' command from the "
                                       "Advanced menu")}));
        } else {
            FillGrid();
        }
    }
    m_link->CloseSocket();
    SetButtonEnabled(btnFindFinchs, true);
}

void frmMain::FillGrid()
{
    const QList<Reply> &replies = m_link->Replies();
    Grid->setRowCount(int(replies.size()));
    for (int i = 0; i < replies.size(); ++i) {
        auto *number = new QTableWidgetItem(QString::number(i + 1));
        // Each row keeps its own reply: a later store holds other modules' bytes.
        number->setData(Qt::UserRole, replies[i].data);
        Grid->setItem(i, 0, number);
        const QString texts[] = {replies[i].address, FormatMac(replies[i].data)};
        for (int column = kAddressColumn; column <= kMacColumn; ++column) {
            auto *item = new QTableWidgetItem(texts[column - 1]);
            item->setTextAlignment(Qt::AlignCenter);
            Grid->setItem(i, column, item);
        }
    }
    const QHostAddress own = m_link->Settings().ownAddress;
    if (!own.isNull()) {
        const QStringList prefix = own.toString().split(u'.');
        for (int k = 0; k < 3; ++k)
            txtIPOctets[k]->setText(prefix[k]);
        txtIPOctets[3]->setFocus();
    }
    ShowHint(QStringLiteral("All Zarvo devices have been found.  Click on an IP address you wish "
                            "to change.  The selected device's background will turn yellow."));
}

void frmMain::SetDeviceIP(const QString &currentAddress, const QStringList &octets)
{
    SetButtonEnabled(btnFindFinchs, false);
    SetButtonEnabled(btnSetIP, false);
    lstdebug->clear();
    ShowHint(QString());
    m_link->ClearReplies();
    const std::optional<QString> failure = SetDeviceIPSteps(currentAddress, octets);
    m_link->CloseSocket();
    SetButtonEnabled(btnFindFinchs, true);
    // The search that follows a change chooses no row, and without one the button has
    // no address to set.
    SetButtonEnabled(btnSetIP, m_chosenRow >= 0);
    if (failure)
        ShowMessage(*failure);
}

std::optional<QString> frmMain::SetDeviceIPSteps(const QString &currentAddress,
                                                 const QStringList &octets)
{
    for (const QString &octet : octets) {
        if (octet.isEmpty()) {
            ShowMessage(QStringLiteral(
                "Blank entries for the IP address are not valid. Please enter a new value."));
            return std::nullopt;
        }
    }
    int values[4] = {};
    for (int k = 0; k < 4; ++k) {
        const std::optional<int> value = OctetValue(octets[k]);
        if (!value)
            return u'"' + octets[k] + QStringLiteral("\" is not a number.");
        if (*value > 255) {
            ShowMessage(QStringLiteral(
                "Do not set an IP octet to greater than 255. Please enter a new value."));
            return std::nullopt;
        }
        values[k] = *value;
    }
    if (values[3] == 0 || values[3] == 255) {
        ShowMessage(QStringLiteral("The Fourth Octet of the IP address can not be set to 0 or 255 "
                                   "or greater.  These addresses are reserved by the network. "
                                   "Please enter a new value."));
        return std::nullopt;
    }
    const QHostAddress own = m_link->Settings().ownAddress;
    if (!own.isNull()) {
        const QStringList prefix = own.toString().split(u'.');
        bool outside = false;
        for (int k = 0; k < 3; ++k) {
            txtIPOctets[k]->setText(prefix[k]);
            outside = outside || prefix[k] != octets[k];
        }
        if (outside &&
            Prompt::Show(Joined({QStringLiteral("You have selected an IP address which is outside "
                                                "of your current network."),
                                 QStringLiteral("Are you sure you wish to use this IP address?")}),
                         Prompt::Buttons::OkCancel, Prompt::Icon::None,
                         QStringLiteral("Confirm IP Address")) != Prompt::Answer::Ok)
            return std::nullopt;
    }
    const QString newAddress = octets.join(u'.');
    const QString question =
        newAddress != currentAddress
            ? QString(QStringLiteral("Change the IP address of this Zarvo device from ") +
                      currentAddress + kCR + QStringLiteral("to ") + newAddress)
            : QString(QStringLiteral("Set the Zarvo device to a static IP of ") + newAddress);
    if (Prompt::Show(question, Prompt::Buttons::YesNo, Prompt::Icon::Question,
                     QStringLiteral("Set IP Address?"), Qt::AlignRight) != Prompt::Answer::Yes) {
        ShowMessage(QStringLiteral("The IP address was not changed"),
                    QStringLiteral("Zarvo IP Setup"));
        return std::nullopt;
    }
    ShowHint(QStringLiteral("Setting the IP address from ") + currentAddress +
             QStringLiteral(" to ") + newAddress + QStringLiteral(".  Please wait."));
    m_link->CloseSocket();
    m_link->SwitchToTcp();
    if (!m_link->TcpConnect(currentAddress, m_link->Settings().modulePort)) {
        ShowMessage(QStringLiteral("Could not establish a TCP/IP connection with ") +
                    currentAddress);
        return std::nullopt;
    }
    m_link->SendSocket(SetupRecordRequest());
    if (!m_link->WaitMs(m_link->Wait().setupRecordWait))
        return std::nullopt;
    if (m_link->ReplyCount() == -1) {
        ShowMessage(QStringLiteral("The Zarvo device at IP address ") + currentAddress +
                    QStringLiteral(" did not return a setup record.  Please try again."));
        return std::nullopt;
    }
    const QByteArray record = m_link->Replies().constLast().data;
    const std::optional<QByteArray> patched = PatchSetupRecord(record, values);
    if (!patched && record.size() < kSetupRecordMinimum)
        return QStringLiteral("The setup record is %1 bytes long; at least %2 are needed.")
            .arg(record.size())
            .arg(kSetupRecordMinimum);
    if (!patched)
        return QStringLiteral("The setup record is over %1 bytes long; no module's is longer.")
            .arg(kSetupRecordMaximum);
    lstByte->clear();
    lstByte->addItems(ByteLines(*patched));
    lstdebug->addItem(LengthLine(*patched));
    m_link->SendSocket(*patched);
    txtDebug->setText(QStringLiteral("Please wait while the device reboots (8 seconds)."));
    if (!m_link->WaitMs(m_link->Wait().restartWait))
        return std::nullopt;
    txtDebug->setText(QStringLiteral("The IP address has been changed."));
    m_link->CloseSocket();
    Discover();
    return std::nullopt;
}

void frmMain::ResetToDHCP()
{
    if (m_chosenRow < 0)
        return;
    const int row = m_chosenRow;
    const QString address = Grid->item(row, kAddressColumn)->text();
    const QString mac = Grid->item(row, kMacColumn)->text();
    const std::optional<QByteArray> datagram =
        DhcpResetDatagram(Grid->item(row, 0)->data(Qt::UserRole).toByteArray());
    if (!datagram) {
        ShowMessage(QStringLiteral("The device at IP address ") + address +
                    QStringLiteral(" gave no reply to reset it with.  Please find the devices "
                                   "again."));
        return;
    }
    if (Prompt::Show(QStringLiteral("Reset the device at IP address ") + address +
                         QStringLiteral(" back to DHCP mode?"),
                     Prompt::Buttons::OkCancel, Prompt::Icon::Question) != Prompt::Answer::Ok)
        return;
    if (!m_link->OpenUdpBroadcast())
        return;
    m_link->SendSocket(*datagram);
    ShowHint(QStringLiteral("Please wait while the device reboots (8 seconds)."));
    if (!m_link->WaitMs(m_link->Wait().restartWait))
        return;
    txtDebug->setText(QStringLiteral("The IP address has been changed."));
    Discover();
    for (int i = 0; i < Grid->rowCount() && m_link->Running(); ++i) {
        QTableWidgetItem *newAddress = Grid->item(i, kAddressColumn);
        if (!newAddress || Grid->item(i, kMacColumn)->text() != mac)
            continue;
        if (newAddress->text() != address) {
            newAddress->setBackground(kYellow);
            ShowMessage(QStringLiteral("This device has been reset to DHCP mode"));
        } else {
            ShowMessage(QStringLiteral("This device has not been reset to DHCP mode"));
        }
    }
}

void frmMain::mnuTestCommunications_Click()
{
    const bool yes =
        Prompt::Show(QStringLiteral("Test Communication to the Selected Zarvo Device?"),
                     Prompt::Buttons::YesNo, Prompt::Icon::None,
                     QStringLiteral("Test This Device?")) == Prompt::Answer::Yes;
    if (yes && m_chosenRow >= 0) {
        TestDevice(ChosenAddress());
        return;
    }
    const QString address =
        Prompt::Input(QStringLiteral("Enter the IP Address of the device you would like to test"),
                      QStringLiteral("IP Address"));
    if (!address.isEmpty())
        TestDevice(address);
}

void frmMain::TestDevice(const QString &address)
{
    txtDebug->setText(QStringLiteral("Testing Communication to:  ") + address);
    QByteArray reply;
    const bool read =
        ReadDeviceRecord(*m_link, address, kDevicePort, PadWithNulls(DeviceCommand::Identify()),
                         reply, kFrameLength);
    if (!m_link->Running())
        return;
    if (read) {
        ParseDeviceId(reply, m_identity);
        txtDebug->setText(QStringLiteral("Successfully communicated with ") + address);
        ShowMessage(IdentityText(address, m_identity));
    } else {
        txtDebug->setText(QStringLiteral("Error reading from IP address: ") + address);
        ShowMessage(QStringLiteral("Error reading from ") + address);
    }
}

void frmMain::ManualSetIP()
{
    const std::optional<QString> failure = ManualSetIPSteps();
    if (failure)
        ShowMessage(*failure);
}

std::optional<QString> frmMain::ManualSetIPSteps()
{
    const QString macPrompt = QStringLiteral("Please enter the MAC address of the device in the "
                                             "following format:  00-20-4a-xx-xx-xx");
    constexpr int kMacLength = 17;
    QString mac = Prompt::Input(macPrompt, QStringLiteral("MAC Address of Zarvo Device"));
    if (mac.isEmpty())
        return std::nullopt;
    if (mac.size() != kMacLength) {
        mac = Prompt::Input(
            Joined({QStringLiteral("The MAC Address you entered is not valid."), macPrompt}));
        if (mac.size() != kMacLength)
            return std::nullopt;
    }
    const QString address = Prompt::Input(
        QStringLiteral("Please enter the IP address you wish to set the device to in the "
                       "following format:  192.168.xxx.xxx"),
        QStringLiteral("Desired Static IP Address"));
    if (address.isEmpty())
        return std::nullopt;
    const QStringList octets = address.split(u'.');
    const bool dottedQuad =
        octets.size() == 4 && std::all_of(octets.cbegin(), octets.cend(), [](const QString &octet) {
            return OctetValue(octet).value_or(256) <= 255;
        });
    if (!dottedQuad)
        return u'"' + address +
               QStringLiteral("\" is not an IP address.  Please enter four numbers from 0 to 255 "
                              "with a dot between each two, as in 192.168.1.20.");
    const QString interfaceName = InterfaceHolding(QHostAddress(address));
    if (interfaceName.isEmpty())
        return address + QStringLiteral(" lies on none of this computer's networks, so the device "
                                        "cannot be reached there.  Please enter an address of "
                                        "your own network.");
    if (RunAndWait(QStringLiteral("ip"), NeighbourArguments(address, mac, interfaceName),
                   m_link->Wait().programLimit, this) < 0)
        return Joined({QStringLiteral("Couldn't find the ip program (package iproute2)"),
                       QStringLiteral("Please add the location of this program to your PATH")});
    // The module takes the address from the first packet sent to it; whether anything
    // answers on port 1 does not matter.
    m_link->CloseSocket();
    m_link->SwitchToTcp();
    m_link->TcpConnectQuietly(address, 1);
    m_link->CloseSocket();
    if (m_link->Running())
        SetDeviceIP(address, octets);
    return std::nullopt;
}

void frmMain::mnuAdvancedNetwork_Click()
{
    if (m_chosenRow >= 0) {
        OpenDeviceWebPage(ChosenAddress());
        return;
    }
    const QString address = Prompt::Input(
        QStringLiteral("Enter the IP Address of the device you would like to configure"),
        QStringLiteral("IP Address"));
    if (!address.isEmpty())
        OpenDeviceWebPage(address);
}

void frmMain::OpenDeviceWebPage(const QString &address)
{
    ShowMessage(Joined({QStringLiteral("A browser will open connecting you to your Zarvo device "
                                       "directly."),
                        QStringLiteral("Once the webpage is displayed, click on the device "
                                       "Properties button review all network settings.")}),
                QStringLiteral("Advanced Network Setup"));
    ShowHint(QStringLiteral("Opening web browser."));
    const QString page = QStringLiteral("http://") + address + QStringLiteral("/ltx_conf.html");
    if (QDesktopServices::openUrl(QUrl(page)))
        return;
    const QString failure = QStringLiteral("An error occured trying to launch a web browser.  "
                                           "Please open your web browser and navigate to:  ") +
                            page;
    ShowMessage(failure);
    SetBackColour(txtDebug, WindowsColourValue(kRed));
    txtDebug->setText(failure +
                      QStringLiteral("  Once the webpage is displayed, click on the Device "
                                     "Properties button."));
}

void frmMain::mnuAbout_Click()
{
    frmAbout about(this);
    about.exec();
    Form_Activate();
}

} // namespace discovery
