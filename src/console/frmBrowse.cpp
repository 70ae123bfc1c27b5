#include "frmBrowse.h"

#include "ConfigRecord.h"
#include "DialogButtons.h"
#include "FormControls.h"
#include "Prompt.h"
#include "SettingsRules.h"

#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QStorageInfo>

namespace {

QString Cleaned(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

// Whether `folder` is `root` or lies below it.
bool IsWithin(const QString &folder, const QString &root)
{
    if (folder == root)
        return true;
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    return folder.startsWith(prefix);
}

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        const QString name = volume.name();
        addItem(name.isEmpty() ? volume.rootPath()
                               : volume.rootPath() + QStringLiteral(" [") + name + u']',
                volume.rootPath());
    }
    addItem(QDir::homePath() + QStringLiteral(" [Home]"), QDir::homePath());
}

QString DriveList::Drive() const
{
    return currentData().toString();
}

void DriveList::ShowDriveOf(const QString &folder)
{
    const QString path = Cleaned(folder);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (IsWithin(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(best);
}

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    SetPath(QDir::currentPath());
}

// Opened here rather than from itemDoubleClicked: refilling the list deletes the item
// that signal is still being emitted for.
void FolderList::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QListWidgetItem *item = itemAt(event->position().toPoint());
    if (!item || event->button() != Qt::LeftButton) {
        QListWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    SetPath(item->data(Qt::UserRole).toString());
}

bool FolderList::SetPath(const QString &folder)
{
    const QString path = Cleaned(folder);
    const QDir dir(path);
    if (!dir.exists() || !dir.isReadable())
        return false;

    clear();
    const QString indentStep = QStringLiteral("  ");
    QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString walked = QStringLiteral("/");
    auto add = [this](const QString &text, const QString &target) {
        auto *item = new QListWidgetItem(text, this);
        item->setData(Qt::UserRole, target);
        return item;
    };
    QListWidgetItem *open = add(QStringLiteral("/"), walked);
    QString indent;
    for (const QString &part : parts) {
        indent += indentStep;
        if (!walked.endsWith(u'/'))
            walked += u'/';
        walked += part;
        open = add(indent + part, walked);
    }
    indent += indentStep;
    const QStringList children =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &child : children)
        add(indent + child, dir.filePath(child));
    setCurrentItem(open);
    m_path = path;
    return true;
}

frmBrowse::frmBrowse(QString &logFolder, ConfigRecord *record, QWidget *parent)
    : QDialog(parent), m_logFolder(logFolder), m_record(record)
{
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(QStringLiteral("Vantrel Graphing"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    OKButton = Named(new QPushButton(QStringLiteral("OK"), this), u"OKButton");
    CancelButton = Named(new QPushButton(QStringLiteral("Cancel"), this), u"CancelButton");
    Drive1 = Named(new DriveList(this), u"Drive1");
    Dir1 = Named(new FolderList(this), u"Dir1");
    Drive1->ShowDriveOf(Dir1->Path());

    // Twips of the original layout at 15 per pixel: the lists take all the width the
    // buttons leave and follow the window when it is sized.
    constexpr int buttonWidth = 1215 / 15;
    OKButton->setFixedWidth(buttonWidth);
    CancelButton->setFixedWidth(buttonWidth);
    auto *layout = new QGridLayout(this);
    layout->addWidget(Drive1, 0, 0);
    layout->addWidget(OKButton, 0, 1);
    layout->addWidget(Dir1, 1, 0, 2, 1);
    layout->addWidget(CancelButton, 1, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
    resize(7845 / 15, 4740 / 15);

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Drive1);
    setTabOrder(Drive1, Dir1);
    OKButton->setFocus();
    CentreOnScreen(this);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmBrowse::Drive1_Change);
    Drive1->installEventFilter(this);
    connect(OKButton, &QPushButton::clicked, this, &frmBrowse::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    NoDefaultButtons(this);
}

// Neither button is the window's default or cancel button: Esc does nothing, and Enter
// presses only a focused button (which handles it before it gets here).
void frmBrowse::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool frmBrowse::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Drive1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Drive1_Change();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// A drive that cannot be read leaves the folder list where it was.
void frmBrowse::Drive1_Change()
{
    Dir1->SetPath(Drive1->Drive());
}

void frmBrowse::OKButton_Click()
{
    const QString folder = Dir1->Path();
    const int width = ConfigTextWidth(&ConfigRecord::LogDir);
    if (m_record && !FitsAnsiField(folder, width)) {
        Prompt::Show(QStringLiteral("The path of this folder is longer than %1 characters or holds "
                                    "characters that cannot be stored.  Please choose another "
                                    "folder.")
                         .arg(width),
                     Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
        return;
    }
    m_logFolder = folder;
    if (m_record)
        m_record->LogDir = folder;
    accept();
}
