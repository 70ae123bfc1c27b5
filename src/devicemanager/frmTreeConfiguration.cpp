#include "frmTreeConfiguration.h"

#include "DialogButtons.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "Prompt.h"
#include "ServerDatabase.h"
#include "StatusGrid.h"
#include "WindowsColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kPictureRole = Qt::UserRole + 1;

const QString kSearchDesignText = QStringLiteral("Search Criteria");

// Picture 1: a server in communication (and the root); picture 2: one that is not.
QIcon ServerPicture(int picture)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::darkGray);
    painter.setBrush(picture == 1 ? QColor(40, 170, 60) : QColor(200, 60, 50));
    painter.drawEllipse(2, 2, 12, 12);
    return QIcon(pixmap);
}

void SetBold(QTreeWidgetItem *node, bool bold)
{
    QFont font = node->font(0);
    font.setBold(bold);
    node->setFont(0, font);
}

} // namespace

frmTreeConfiguration::frmTreeConfiguration(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTreeConfiguration"));
    setWindowTitle(QStringLiteral("Vantrel Setup"));
    BuildMenus();

    ServerTree = Named(new QTreeWidget(this), u"ServerTree");
    ServerTree->setHeaderHidden(true);
    ServerTree->setMinimumWidth(320);
    ServerTree->viewport()->installEventFilter(this);
    txtSearchCriteria = Named(new QLineEdit(kSearchDesignText, this), u"txtSearchCriteria");
    txtSearchCriteria->setToolTip(QStringLiteral("Enter search criteria to find specific server"));
    txtSearchCriteria->installEventFilter(this);
    btnFindNext = Named(new QPushButton(QStringLiteral("Find Next"), this), u"btnFindNext");
    btnFindNext->setToolTip(QStringLiteral("Find next server that matches search criteria"));
    ProgressBar = Named(new QProgressBar(this), u"ProgressBar");
    ProgressBar->hide();

    auto *search = new QHBoxLayout;
    search->addWidget(txtSearchCriteria, 1);
    search->addWidget(btnFindNext);
    auto *treeColumn = new QVBoxLayout;
    treeColumn->addWidget(ServerTree, 1);
    treeColumn->addLayout(search);

    // The frames' top edges are level with the tree's: the tree heads its column. The
    // data-log frame takes the column's whole height, for as many log rows as it holds.
    auto *columns = new QHBoxLayout;
    columns->addLayout(treeColumn);
    columns->addWidget(BuildServerFrame(), 0, Qt::AlignTop);
    columns->addWidget(BuildEmailFrame(), 0, Qt::AlignTop);
    columns->addWidget(BuildDateTimeFrame());
    columns->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(columns, 1);
    layout->addWidget(ProgressBar);

    NoDefaultButtons(this);

    connect(ServerTree, &QTreeWidget::itemClicked, this, [this] { ServerTree_Click(); });
    connect(btnFindNext, &QPushButton::clicked, this, &frmTreeConfiguration::btnFindNext_Click);

    OpenModelPanel = [this](PanelForm form, const QString &ipAddress, qint32 databaseId) {
        ShowModelPanel(this, form, ipAddress, databaseId);
    };
    OpenPhoneParameters = [this](const QString &serverName, const QString &ipAddress) {
        ShowPhoneParameters(this, serverName, ipAddress);
    };

    if (DeviceLink *link = DeviceLink::Instance())
        link->SetTreeForm(this);
    Form_Load();
}

frmTreeConfiguration::~frmTreeConfiguration()
{
    if (DeviceLink *link = DeviceLink::Instance(); link && &link->TreeForm() == this)
        link->SetTreeForm(nullptr);
}

void frmTreeConfiguration::BuildMenus()
{
    menuBar = Named(new QMenuBar(this), u"menuBar");
    mnuAdd = Named(menuBar->addAction(QStringLiteral("Add New Server")), u"mnuAdd");
    mnuEdit = Named(menuBar->addMenu(QStringLiteral("Edit")), u"mnuEdit");
    mnuEditServer = Named(mnuEdit->addAction(QStringLiteral("Server")), u"mnuEditServer");
    mnuEditSensors = Named(mnuEdit->addAction(QStringLiteral("Sensors")), u"mnuEditSensors");

    mnuPopUp = Named(new QMenu(QStringLiteral("PopUP"), this), u"mnuPopUp");
    mnuServerPopUp = Named(mnuPopUp->addAction(QStringLiteral("Edit Server")), u"mnuServerPopUp");
    mnuSensorPopUp = Named(mnuPopUp->addAction(QStringLiteral("Edit Sensors")), u"mnuSensorPopUp");
    mnuSeperator = Named(mnuPopUp->addSeparator(), u"mnuSeperator");
    mnuEnableDisable = Named(mnuPopUp->addAction(QString()), u"mnuEnableDisable");
    mnuDeleteServerPopUp =
        Named(mnuPopUp->addAction(QStringLiteral("Delete Server")), u"mnuDeleteServerPopUp");

    connect(mnuAdd, &QAction::triggered, this, &frmTreeConfiguration::mnuAdd_Click);
    connect(mnuEditServer, &QAction::triggered, this, &frmTreeConfiguration::mnuEditServer_Click);
    connect(mnuServerPopUp, &QAction::triggered, this, &frmTreeConfiguration::mnuEditServer_Click);
    connect(mnuEditSensors, &QAction::triggered, this, &frmTreeConfiguration::Sensors);
    connect(mnuSensorPopUp, &QAction::triggered, this, &frmTreeConfiguration::Sensors);
    connect(mnuEnableDisable, &QAction::triggered, this,
            &frmTreeConfiguration::mnuEnableDisable_Click);
    connect(mnuDeleteServerPopUp, &QAction::triggered, this,
            &frmTreeConfiguration::mnuDeleteServerPopUp_Click);
}

void frmTreeConfiguration::Form_Load()
{
    resize(1180, 560);
    CentreOnScreen(this);
    m_currentFrame = -1;
    ShowFrame(-1);
    ShowResult(QString(), false);
    cmboUnits->addItem(QStringLiteral("\u00B0F"));
    cmboUnits->addItem(QStringLiteral("\u00B0C"));
    cmboUnits->setCurrentIndex(0);
    btnMore->hide();
    btnFindNext->setEnabled(false);
}

void frmTreeConfiguration::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        Form_Activate();
    }
}

// The screen grows with the frames a server shows, and stays on the screen.
void frmTreeConfiguration::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (isVisible())
        FitToScreen(this);
}

void frmTreeConfiguration::Form_Activate()
{
    LoadServers();
    btnDownloadHiLoReadings->setEnabled(false);
}

void frmTreeConfiguration::reject()
{
    if (m_busy)
        return;
    QDialog::reject();
}

bool frmTreeConfiguration::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == ServerTree->viewport() && mouse->button() == Qt::RightButton) {
            ServerTree_MouseDown(mouse->button(), mouse->position().toPoint());
            return true;
        }
        if (watched == lstEmailAddr->viewport() && mouse->button() == Qt::RightButton) {
            lstEmailAddr_MouseDown(mouse->button(), mouse->position().toPoint());
            return true;
        }
        if (watched == txtSearchCriteria && mouse->button() == Qt::LeftButton)
            txtSearchCriteria_Click();
    } else if (event->type() == QEvent::KeyPress && watched == txtSearchCriteria) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        const int key = keyEvent->key();
        // Only a typed character empties the design text: not Shift alone, not a move away.
        const bool typed =
            !keyEvent->text().isEmpty() && key != Qt::Key_Tab && key != Qt::Key_Backtab;
        if (typed && txtSearchCriteria->text() == kSearchDesignText)
            txtSearchCriteria->clear();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FindServer();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Busy mark ----

frmTreeConfiguration::BusyScope::BusyScope(frmTreeConfiguration &screen) : m_screen(screen)
{
    m_screen.m_busy = true;
    m_screen.SetHourglass(true);
}

frmTreeConfiguration::BusyScope::~BusyScope()
{
    m_screen.m_busy = false;
    m_screen.SetHourglass(false);
}

// The screen's own pointer, so a message box over it keeps the arrow. The transport
// drops it after each exchange; an operation of several exchanges keeps it.
void frmTreeConfiguration::SetHourglass(bool on)
{
    if (on || m_busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmTreeConfiguration::ShowProgress(int maximum)
{
    ProgressBar->setRange(0, qMax(maximum, 1));
    ProgressBar->setValue(0);
    ProgressBar->show();
}

int frmTreeConfiguration::ProgressMaximum() const
{
    return ProgressBar->maximum();
}

void frmTreeConfiguration::SetProgressValue(int value)
{
    ProgressBar->setValue(qMin(value, ProgressBar->maximum()));
}

void frmTreeConfiguration::HideProgress()
{
    ProgressBar->setValue(0);
    ProgressBar->hide();
}

void frmTreeConfiguration::SetServerErrorText(const QString &text)
{
    lblServerError->setText(text);
}

QString frmTreeConfiguration::ServerNameText() const
{
    return txtServerName->text();
}

void frmTreeConfiguration::ShowResult(const QString &text, bool failure)
{
    lblServerError->setText(text);
    QPalette palette = lblServerError->palette();
    palette.setColor(QPalette::WindowText, WindowsColour(failure ? kColourRed : 0));
    lblServerError->setPalette(palette);
}

// ---- Tree ----

void frmTreeConfiguration::LoadServers()
{
    QList<ServerTreeEntry> nodes;
    ::LoadServers(nodes);
    ServerTree->clear();
    QTreeWidgetItem *root = nullptr;
    for (const ServerTreeEntry &entry : std::as_const(nodes)) {
        auto *node = root ? new QTreeWidgetItem(root) : new QTreeWidgetItem(ServerTree);
        node->setText(0, entry.text);
        node->setData(0, kKeyRole, entry.key);
        node->setData(0, kPictureRole, entry.picture);
        node->setIcon(0, ServerPicture(entry.picture));
        if (!root)
            root = node;
    }
    if (root)
        root->setExpanded(true);
}

QTreeWidgetItem *frmTreeConfiguration::Node(int index) const
{
    QTreeWidgetItem *root = ServerTree->topLevelItem(0);
    if (!root || index < 1)
        return nullptr;
    return index == 1 ? root : root->child(index - 2);
}

int frmTreeConfiguration::NodeCount() const
{
    const QTreeWidgetItem *root = ServerTree->topLevelItem(0);
    return root ? root->childCount() + 1 : 0;
}

int frmTreeConfiguration::NodeIndex(const QTreeWidgetItem *node) const
{
    const QTreeWidgetItem *parent = node->parent();
    return parent ? parent->indexOfChild(const_cast<QTreeWidgetItem *>(node)) + 2 : 1;
}

QTreeWidgetItem *frmTreeConfiguration::SelectedNode() const
{
    const QList<QTreeWidgetItem *> selected = ServerTree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::optional<qint32> frmTreeConfiguration::ServerID(const QTreeWidgetItem *node)
{
    if (!node)
        return std::nullopt;
    const QString key = node->data(0, kKeyRole).toString();
    if (!key.toLower().contains(QStringLiteral("server")))
        return std::nullopt;
    bool ok = false;
    const qint32 id = key.mid(6).toInt(&ok);
    return ok ? std::optional<qint32>(id) : std::nullopt;
}

void frmTreeConfiguration::ServerTree_Click()
{
    if (m_busy)
        return;
    QTreeWidgetItem *selected = SelectedNode();
    if (!selected)
        return;
    const std::optional<qint32> id = ServerID(selected);
    if (!id) {
        m_currentFrame = -1;
        ShowFrame(-1);
        m_currentServerID = -1;
        return;
    }
    for (int i = 1; i <= NodeCount(); ++i)
        SetBold(Node(i), false);
    SetBold(selected, true);
    HideAllFrames();
    m_currentServerID = *id;
}

// The pop-up acts on the node under the pointer: it becomes the selected, current node
// first, so "Disable Server" never reaches a server clicked earlier.
void frmTreeConfiguration::ServerTree_MouseDown(Qt::MouseButton button, const QPoint &pos)
{
    if (button != Qt::RightButton || m_busy)
        return;
    QTreeWidgetItem *node = ServerTree->itemAt(pos);
    if (!ServerID(node)) {
        mnuEnableDisable->setText(QString());
        return;
    }
    ServerTree->setCurrentItem(node);
    ServerTree_Click();
    mnuEnableDisable->setText(node->data(0, kPictureRole).toInt() == 1
                                  ? QStringLiteral("Disable Server")
                                  : QStringLiteral("Enable Server"));
    mnuPopUp->popup(ServerTree->viewport()->mapToGlobal(pos));
}

void frmTreeConfiguration::mnuEnableDisable_Click()
{
    if (m_busy)
        return;
    const bool enable = mnuEnableDisable->text().toLower().contains(QStringLiteral("enable"));
    if (EnableDisableServer(m_currentServerID, enable ? 1 : 0, enable ? -1 : 0))
        LoadServers();
}

// ---- Search ----

bool frmTreeConfiguration::SearchIgnored() const
{
    const QString text = txtSearchCriteria->text();
    return text.isEmpty() || text == kSearchDesignText;
}

bool frmTreeConfiguration::Matches(const QTreeWidgetItem *node) const
{
    const QString text = node->text(0);
    return !text.isEmpty() &&
           text.left(1).compare(txtSearchCriteria->text().left(1), Qt::CaseInsensitive) == 0;
}

void frmTreeConfiguration::FindServer()
{
    if (m_busy || SearchIgnored())
        return;
    ClearBold();
    for (int i = 2; i <= NodeCount(); ++i) {
        QTreeWidgetItem *node = Node(i);
        if (!Matches(node))
            continue;
        SetBold(node, true);
        ServerTree->setCurrentItem(node);
        node->setExpanded(true);
        txtSearchCriteria->setFocus();
        btnFindNext->setEnabled(true);
        HideAllFrames();
        return;
    }
    btnFindNext->setEnabled(false);
    Prompt::Show(QStringLiteral("No servers has been found with the search criteria '") +
                 txtSearchCriteria->text() + QLatin1Char('\''));
}

void frmTreeConfiguration::btnFindNext_Click()
{
    const QTreeWidgetItem *selected = SelectedNode();
    if (m_busy || SearchIgnored() || !selected)
        return;
    for (int i = NodeIndex(selected) + 1; i <= NodeCount(); ++i) {
        QTreeWidgetItem *node = Node(i);
        if (!Matches(node))
            continue;
        ClearBold();
        SetBold(node, true);
        node->setExpanded(true);
        ServerTree->setCurrentItem(node);
        HideAllFrames();
        return;
    }
    btnFindNext->setEnabled(false);
    Prompt::Show(
        QStringLiteral("No additional servers have been found with the search criteria '") +
        txtSearchCriteria->text() + QLatin1Char('\''));
}

void frmTreeConfiguration::ClearBold()
{
    for (int i = 2; i <= NodeCount(); ++i) {
        SetBold(Node(i), false);
        Node(i)->setSelected(false);
    }
}

void frmTreeConfiguration::txtSearchCriteria_Click()
{
    txtSearchCriteria->clear();
}

// ---- Frames ----

QGroupBox *frmTreeConfiguration::SetupFrame(qint16 frame) const
{
    return frame == 2 ? frmSetup2 : frmSetup0;
}

void frmTreeConfiguration::HideAllFrames()
{
    frmSetup0->hide();
    frmSetup2->hide();
    frmDateTime->hide();
}

void frmTreeConfiguration::ShowFrame(qint16 frame)
{
    if (frame == -1) {
        HideAllFrames();
        return;
    }
    if (m_currentFrame != kEmailFrame) {
        AlignFrame(frame);
        return;
    }
    if (m_currentServerID == -1) {
        Prompt::Show(QStringLiteral("Please save the new server before adding email addresses."));
        return;
    }
    HideAllFrames();
    QVariant addresses;
    QVariant name;
    GetServerField(m_currentServerID, QStringLiteral("tblServers"), QStringLiteral("EmailAddress"),
                   addresses);
    if (!GetServerField(m_currentServerID, QStringLiteral("tblServers"),
                        QStringLiteral("ServerName"), name))
        return;
    ParseAddrToList(addresses.toString());
    SetupFrame(frame)->setTitle(QStringLiteral("Add email addresses for: ") + name.toString());
    AlignFrame(frame);
}

// The layout keeps the frame beside the tree with its top edge level with the tree's.
void frmTreeConfiguration::AlignFrame(qint16 frame)
{
    SetupFrame(frame)->show();
}

void frmTreeConfiguration::btnRefresh_Click()
{
    if (m_busy)
        return;
    const BusyScope busy(*this);
    EditAServer();
}

void RunDeviceManager(QWidget *owner)
{
    frmTreeConfiguration screen(owner);
    screen.exec();
}
