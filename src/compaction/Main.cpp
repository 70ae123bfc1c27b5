#include "Main.h"

#include "Compaction.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "MessageBoxPrompt.h"
#include "ProgramFolder.h"
#include "ProgramInfo.h"
#include "Prompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString kDatabase = QStringLiteral("finch.mdb");
const QString kBackup = QStringLiteral("finch.bak");
// The new backup is written and checked under this name before it replaces the old one.
const QString kNewBackup = QStringLiteral("finch.bak-new");
const QString kCompacted = QStringLiteral("finchCompact.mdb");

QString LockedText()
{
    return QStringLiteral("The database is currently locked.  Please close Vantrel before "
                          "procdeding.");
}

QString KBytesText(qint64 bytes)
{
    return QString::number(KBytes(bytes));
}

std::optional<QString> MissingFile(const QString &path)
{
    if (QFileInfo(path).isFile())
        return std::nullopt;
    return QStringLiteral("The database file ") + path + QStringLiteral(" was not found.");
}

// The engine's complaint about a compacted copy that an earlier run left unfinished
// ("file is not a database") would otherwise read as if finch.mdb were damaged.
QString LeftoverText(const QString &path, const QString &error)
{
    return path + QStringLiteral(" was left by an earlier run and cannot be written over (") +
           error + QStringLiteral(").  Please remove it and compact the database again.");
}

// Why the program may not work on the file; nothing while it holds it.
std::optional<QString> Refusal(const ExclusiveDatabase &database)
{
    switch (database.Status()) {
    case ExclusiveDatabase::State::Held:
        break;
    case ExclusiveDatabase::State::InUse:
        return LockedText();
    case ExclusiveDatabase::State::Failed:
        return database.Error();
    }
    return std::nullopt;
}

} // namespace

Main::Main(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Compact and Repair Vantrel Database"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.75);
    setFont(font);

    Label1 = Named(new QLabel(QStringLiteral("Label1"), this), u"Label1");
    WrapLabel(Label1);
    List = Named(new QListWidget(this), u"List");
    btnCDB = Named(new QPushButton(QStringLiteral("Compact Database"), this), u"btnCDB");
    btnCDB->setAutoDefault(false);

    // The original layout in twips, at 15 per pixel: the list narrower than the text
    // above it, the button centred below.
    btnCDB->setFixedWidth(2895 / 15);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(360 / 15, 240 / 15, 360 / 15, 240 / 15);
    layout->addWidget(Label1);
    auto *list = new QHBoxLayout;
    list->setContentsMargins((840 - 360) / 15, 0, (840 - 360) / 15, 0);
    list->addWidget(List);
    layout->addLayout(list);
    layout->addWidget(btnCDB, 0, Qt::AlignHCenter);
    resize(7110 / 15, 6120 / 15);

    connect(btnCDB, &QPushButton::clicked, this, &Main::btnCDB_Click);
}

void Main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    Form_Activate();
}

void Main::Form_Activate()
{
    Label1->setText(
        QStringLiteral("This program is used to compact the Finch.mdb database used in "
                       "Vantrel.Please close Vantrel before clicking the Compact Database "
                       "button."));
    const QFileInfo database(ProgramFile(kDatabase));
    if (database.isFile())
        Add(QStringLiteral("The database is currently ") + KBytesText(database.size()) +
            QStringLiteral(" kbytes"));
    else
        Add(kDatabase + QStringLiteral(" was not found in ") + ProgramFolder());
}

void Main::btnCDB_Click()
{
    const QString path = ProgramFile(kDatabase);
    if (const auto missing = MissingFile(path)) {
        Prompt::Show(*missing);
        return;
    }
    const qint64 length = QFileInfo(path).size();
    // Only a test: the lock is let go until the run takes it again.
    if (const auto refusal = Refusal(ExclusiveDatabase(path))) {
        Prompt::Show(*refusal);
        return;
    }
    const QString question = QStringLiteral("The Database is ") + KBytesText(length) +
                             QStringLiteral(" kbytes.  Compact Database?  ");
    if (Prompt::Show(question, Prompt::Buttons::YesNo, Prompt::Icon::None,
                     QStringLiteral("Compact Database")) == Prompt::Answer::Yes)
        PackwellTest();
}

void Main::PackwellTest()
{
    btnCDB->setEnabled(false);
    List->clear();
    // No roll-back: whatever a failed step left stays as it is.
    if (const auto failure = Run())
        Prompt::Show(*failure);
    btnCDB->setEnabled(true);
}

std::optional<QString> Main::Run()
{
    const QString path = ProgramFile(kDatabase);
    if (const auto missing = MissingFile(path))
        return missing;
    // Held from here until the compacted contents are in, so nobody writes to it meanwhile.
    ExclusiveDatabase database(path);
    if (const auto refusal = Refusal(database))
        return refusal;
    const qint64 startLength = QFileInfo(path).size();
    Add(QStringLiteral("Original size of database: ") + KBytesText(startLength));
    const auto counts = database.Counts();
    if (!counts)
        return database.Error();

    const bool backUp =
        !QFileInfo(ProgramFile(kBackup)).isFile() ||
        Prompt::Show(QStringLiteral("A copy of the database already exists.  Would you like to "
                                    "overwrite it?"),
                     Prompt::Buttons::YesNo, Prompt::Icon::None,
                     QStringLiteral("Overwrite?")) == Prompt::Answer::Yes;
    if (backUp) {
        Add(QStringLiteral("Creating backup of database."));
        // The run ends here, before anything is compacted; the reason, where there is one,
        // follows in the error box.
        const auto notCreated = [this](const QString &reason) -> std::optional<QString> {
            Add(QStringLiteral("Backup of database could not be created."));
            if (reason.isEmpty())
                return std::nullopt;
            return reason;
        };
        // The old backup stays until a new one is whole; a new one that is not is
        // removed, and so is one left when an earlier run was killed.
        const QString newBackup = ProgramFile(kNewBackup);
        QFile::remove(newBackup);
        const auto removeNewBackup = qScopeGuard([&] { QFile::remove(newBackup); });
        if (!database.CopyBytes(newBackup))
            return notCreated(database.Error());
        QString error;
        if (!ReplaceFile(newBackup, ProgramFile(kBackup), error))
            return notCreated(error);
        if (!QFileInfo(ProgramFile(kBackup)).isFile())
            return notCreated({});
        Add(QStringLiteral("Backup of database created successfully."));
    }

    Add(QStringLiteral("Compacting database."));
    // A copy left by an earlier run is never deleted: the engine refuses to write over it.
    const QString compacted = ProgramFile(kCompacted);
    const bool leftover = QFileInfo::exists(compacted);
    if (!database.WriteCopy(compacted))
        return leftover ? LeftoverText(compacted, database.Error()) : database.Error();
    const qint64 compactedLength = QFileInfo(compacted).size();
    Add(QStringLiteral("Compacted database size ") + KBytesText(compactedLength) +
        QStringLiteral(" kbytes."));
    if (const QString line = ComparisonLine(startLength, compactedLength); !line.isEmpty())
        Add(line);
    if (const QString reason = CheckCopy(compacted, *counts); !reason.isEmpty()) {
        Add(QStringLiteral("Compacted database failed its check: ") + reason);
        return std::nullopt;
    }

    // The compacted contents are written into the file itself, never a new file put in its
    // place: a program that has it open keeps one file, with none of its commits lost.
    Add(QStringLiteral("Deleting original database"));
    if (!database.WriteBack(compacted)) {
        Add(QStringLiteral("Failed to delete original database"));
        return database.Error();
    }
    Add(QStringLiteral("Successfully deleted original database"));
    Add(QStringLiteral("Renaming compacted database"));
    if (QFile copy(compacted); !copy.remove())
        return copy.errorString();
    Add(QStringLiteral("Successfully renamed database"));
    Add(QStringLiteral("Complete"));
    return std::nullopt;
}

void Main::Add(const QString &line)
{
    List->addItem(line);
    // The list, and the window with it, widens to its longest line; room is kept for the
    // scroll bar that a long run brings.
    List->setMinimumWidth(List->sizeHintForColumn(0) + 2 * List->frameWidth() +
                          List->verticalScrollBar()->sizeHint().width());
    FitToScreen(this);
}

int RunPackwell()
{
    ProgramInfo::SetTitle(QStringLiteral("Packwell"));
    MessageBoxPrompt messageBoxes;
    Prompt::Install(&messageBoxes);
    Main window;
    window.show();
    const int result = QApplication::exec();
    Prompt::Install(nullptr);
    return result;
}
