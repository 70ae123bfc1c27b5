#include "PackwellFixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <array>
#include <functional>
#include <optional>

namespace {

const QString kLocked =
    QStringLiteral("The database is currently locked.  Please close Vantrel before procdeding.");

QString SizeLine(const QString &path)
{
    return QStringLiteral("The database is currently %1 kbytes")
        .arg((QFileInfo(path).size() + 500) / 1000);
}

// Another program with the database open: a real sqlite3 process in an exclusive
// transaction until it is let go.
class LockHolder {
public:
    bool Start(const QString &path)
    {
        m_process.start(QStringLiteral(SQLITE3_PROGRAM), {path});
        m_process.write("BEGIN EXCLUSIVE;\nSELECT 'held';\n");
        return Said(m_process, "held");
    }
    ~LockHolder()
    {
        m_process.write("COMMIT;\n");
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

} // namespace

struct RunCase {
    const char *name;
    bool compactFirst;
    bool oldBackup;
    Prompt::Answer overwrite;
    bool wal = false; // the file in WAL mode with a killed writer's log, compacted twice
    int pageSize = 4096;
    bool stuckLog = false; // a log the program cannot remove, as another user's
};

void PrintTo(const RunCase &run, std::ostream *out)
{
    *out << run.name;
}

class WholeRun : public PackwellFixture, public ::testing::WithParamInterface<RunCase> {};

// From the button to the replaced file, as an operator runs it after the activation line.
TEST_P(WholeRun, BacksUpCompactsChecksAndReplaces)
{
    const RunCase &run = GetParam();
    ASSERT_EQ(MakeDatabase(Database(), {}, run.pageSize), QString());
    if (run.compactFirst) {
        ASSERT_EQ(Sqlite(Database(), QStringLiteral("VACUUM")), QString());
    }
    const QByteArray oldBackup("an earlier backup");
    if (run.oldBackup) {
        QFile backup(File(QStringLiteral("finch.bak")));
        ASSERT_TRUE(backup.open(QIODevice::WriteOnly));
        backup.write(oldBackup);
    }
    const bool backedUp = !run.oldBackup || run.overwrite == Prompt::Answer::Yes;
    if (backedUp) {
        // A new backup left half-made by a run that was killed.
        QFile stale(File(QStringLiteral("finch.bak-new")));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
    }
    const QString log = Database() + QStringLiteral("-wal");
    std::optional<Mount> stuck;
    if (run.stuckLog) {
        for (const QString &path : {log, File(QStringLiteral("stuck"))})
            ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
        // Where a file is mounted, it cannot be removed.
        stuck.emplace(File(QStringLiteral("stuck")), log, nullptr, MS_BIND);
        if (stuck->Error())
            GTEST_SKIP() << "no bind mount: " << stuck->Error();
    }
    if (run.wal) {
        ASSERT_TRUE(LeaveCrashedWritersLog(Database()));
    }
    const QString original = Dump(Database());
    const QByteArray originalBytes = ReadAll(Database());
    const qint64 startSize = QFileInfo(Database()).size();
    const QString kbytes = QString::number((startSize + 500) / 1000);
    window.show();
    ASSERT_EQ(Lines(), QStringList{SizeLine(Database())});

    prompt.Queue(Prompt::Answer::Yes);
    prompt.Queue(run.overwrite);
    QTest::mouseClick(window.btnCDB, Qt::LeftButton);

    QStringList texts{QStringLiteral("The Database is ") + kbytes +
                      QStringLiteral(" kbytes.  Compact Database?  ")};
    if (run.oldBackup)
        texts << QStringLiteral(
            "A copy of the database already exists.  Would you like to overwrite it?");
    EXPECT_EQ(prompt.Texts(), texts);
    EXPECT_EQ(prompt.Messages().value(0).title, QStringLiteral("Compact Database"));
    EXPECT_EQ(prompt.Messages().value(1).title,
              run.oldBackup ? QStringLiteral("Overwrite?") : QString());

    QStringList lines{QStringLiteral("Original size of database: ") + kbytes};
    if (backedUp)
        lines << QStringLiteral("Creating backup of database.")
              << QStringLiteral("Backup of database created successfully.");
    lines << QStringLiteral("Compacting database.")
          << QStringLiteral("Compacted database size %1 kbytes.")
                 .arg((QFileInfo(Database()).size() + 500) / 1000)
          << (run.compactFirst ? QStringLiteral("Database is ") + kbytes +
                                     QStringLiteral(" kbytes and could not be compacted further.")
                               : QStringLiteral("Successfully compacted database"))
          << QStringLiteral("Deleting original database")
          << QStringLiteral("Successfully deleted original database")
          << QStringLiteral("Renaming compacted database")
          << QStringLiteral("Successfully renamed database") << QStringLiteral("Complete");
    EXPECT_EQ(Lines(), lines);
    // Nothing of the engine's is left beside the files, and the file keeps its journal mode.
    QStringList files{QStringLiteral("finch.bak"), QStringLiteral("finch.mdb"),
                      QStringLiteral("zarvo.mdb")};
    if (run.stuckLog)
        files << QStringLiteral("finch.mdb-wal") << QStringLiteral("stuck");
    files.sort();
    EXPECT_EQ(Files().keys(), files);
    EXPECT_EQ(ReadAll(Database()).mid(18, 2), run.wal ? "\2\2" : "\1\1");
    EXPECT_EQ(qFromBigEndian<quint16>(ReadAll(Database()).constData() + 16), run.pageSize);
    const QByteArray backup = ReadAll(File(QStringLiteral("finch.bak")));
    if (run.wal) // with what the log held
        EXPECT_TRUE(backup.contains("only in the log"));
    else
        EXPECT_EQ(backup, backedUp ? originalBytes : oldBackup);
    if (run.wal) {
        const QByteArray compacted = ReadAll(Database());
        prompt.Queue(Prompt::Answer::Yes);
        prompt.Queue(Prompt::Answer::Yes);
        QTest::mouseClick(window.btnCDB, Qt::LeftButton);
        EXPECT_EQ(Lines().last(), QStringLiteral("Complete"));
        EXPECT_EQ(Files().keys(), files);
        EXPECT_EQ(ReadAll(File(QStringLiteral("finch.bak"))), compacted);
        EXPECT_EQ(ReadAll(Database()).mid(18, 2), "\2\2");
    }

    EXPECT_EQ(Dump(Database()), original);
    EXPECT_EQ(IntegrityCheck(Database()), QStringLiteral("ok\n"));
    if (run.compactFirst)
        EXPECT_EQ(QFileInfo(Database()).size(), startSize);
    else
        EXPECT_LT(QFileInfo(Database()).size(), startSize * 3 / 4);
    EXPECT_TRUE(window.btnCDB->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Packwell, WholeRun,
    ::testing::Values(RunCase{"FirstRun", false, false, Prompt::Answer::Yes},
                      RunCase{"OverwriteOldBackup", false, true, Prompt::Answer::Yes},
                      RunCase{"KeepOldBackup", false, true, Prompt::Answer::No},
                      RunCase{"AlreadyCompacted", true, false, Prompt::Answer::Yes, false, 8192},
                      RunCase{"WriteAheadLogTwice", false, false, Prompt::Answer::Yes, true, 1024},
                      RunCase{"WriteAheadLogThatCannotBeRemoved", false, false, Prompt::Answer::Yes,
                              true, 4096, true}),
    [](const auto &info) { return std::string(info.param.name); });

struct Refusal {
    const char *name;
    std::function<void()> setUp;
    QList<Prompt::Answer> answers;
    bool fromButton; // else the run alone, as when the lock is taken after the button's test
    // %1 stands for the database's kbytes, %2 for the compacted copy's.
    QStringList messages;
    QStringList lines;    // after what activation put in the list for a button press
    QStringList newFiles; // every other file keeps its bytes
};

using Refusals = PackwellFixture;

// Whatever stops a run, finch.mdb keeps its bytes, the operator is told why and the
// button is ready again.
TEST_F(Refusals, LeaveTheDatabaseAsItWas)
{
    const auto write = [this](const char *name, const QByteArray &bytes) {
        QFile file(File(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    };
    const auto make = [this](const QString &extraSql = {}) {
        ASSERT_EQ(MakeDatabase(Database(), extraSql), QString());
    };
    // Rows stored while their check was off: the engine copies them as they are.
    const QString badRows = QStringLiteral(
        "CREATE TABLE tblLimits (v INTEGER CHECK (v < 10)); PRAGMA ignore_check_constraints = 1;"
        "INSERT INTO tblLimits VALUES (99);");
    const QString checkFailure = QStringLiteral("CHECK constraint failed in tblLimits");
    const QString question = QStringLiteral("The Database is %1 kbytes.  Compact Database?  ");
    const QString started = QStringLiteral("Original size of database: %1");
    const QString creating = QStringLiteral("Creating backup of database.");
    const QString compacting = QStringLiteral("Compacting database.");
    const QString overwrite =
        QStringLiteral("A copy of the database already exists.  Would you like to overwrite it?");
    std::optional<LockHolder> holder;
    std::optional<Mount> full;
    const auto hold = [&] {
        make();
        holder.emplace();
        ASSERT_TRUE(holder->Start(Database()));
    };
    const auto leftover = [&](const QString &error) -> QString {
        return File(QStringLiteral("finchCompact.mdb")) +
               QStringLiteral(" was left by an earlier run and cannot be written over (") + error +
               QStringLiteral(").  Please remove it and compact the database again.");
    };
    const QStringList backedUp{
        started, creating, QStringLiteral("Backup of database created successfully."), compacting};

    const Refusal refusals[] = {
        {"held by sqlite3 at the button", hold, {}, true, {kLocked}, {}, {}},
        {"held by sqlite3 when the run starts", hold, {}, false, {kLocked}, {}, {}},
        {"held in WAL mode by sqlite3",
         [&] {
             make();
             Sqlite(Database(), QStringLiteral("PRAGMA journal_mode = WAL"));
             holder.emplace();
             ASSERT_TRUE(holder->Start(Database()));
         },
         {},
         true,
         {kLocked},
         {},
         {}},
        {"not a database",
         [&] { write("finch.mdb", QByteArray(5000, '\x17')); },
         {},
         true,
         {QStringLiteral("file is not a database")},
         {},
         {}},
        {"missing at the button",
         [] {},
         {},
         true,
         {QStringLiteral("The database file ") + Database() + QStringLiteral(" was not found.")},
         {},
         {}},
        {"missing when the run starts",
         [] {},
         {},
         false,
         {QStringLiteral("The database file ") + Database() + QStringLiteral(" was not found.")},
         {},
         {}},
        {"compacted copy left by an earlier run",
         [&] {
             make();
             Sqlite(File(QStringLiteral("finchCompact.mdb")),
                    QStringLiteral("CREATE TABLE tblEarlier (x)"));
         },
         {Prompt::Answer::Yes},
         true,
         {question, leftover(QStringLiteral("output file already exists"))},
         backedUp,
         {QStringLiteral("finch.bak")}},
        {"compacted copy cut short in an earlier run",
         [&] {
             make();
             write("finchCompact.mdb", QByteArray(3000, '\x17'));
         },
         {Prompt::Answer::Yes},
         true,
         {question, leftover(QStringLiteral("file is not a database"))},
         backedUp,
         {QStringLiteral("finch.bak")}},
        {"compacted copy failing its check",
         [&] {
             make(badRows);
             write("finch.bak", "old");
         },
         {Prompt::Answer::Yes, Prompt::Answer::No},
         true,
         {question, overwrite},
         {started, compacting, QStringLiteral("Compacted database size %2 kbytes."),
          QStringLiteral("Successfully compacted database"),
          QStringLiteral("Compacted database failed its check: ") + checkFailure},
         {QStringLiteral("finchCompact.mdb")}},
        {"in WAL mode, not to be compacted",
         [&] {
             make();
             Sqlite(Database(), QStringLiteral("PRAGMA journal_mode = WAL"));
         },
         {Prompt::Answer::No},
         true,
         {question},
         {},
         {}},
        {"log of a crashed writer, not to be compacted",
         [&] {
             make();
             ASSERT_TRUE(LeaveCrashedWritersLog(Database()));
         },
         {Prompt::Answer::No},
         true,
         {question},
         {},
         {}},
        {"compacted contents that do not fit on the disk",
         [&] {
             full.emplace(QStringLiteral("tmpfs"), Folder(), "tmpfs", 0, "size=8m");
             if (full->Error())
                 GTEST_SKIP() << "no tmpfs: " << full->Error();
             make();
             write("finch.bak", "old");
             // Room left for the compacted copy, and not for the engine's journal as well.
             const QString measure = File(QStringLiteral("measure"));
             Sqlite(Database(), QStringLiteral("VACUUM INTO '%1'").arg(measure));
             // In pages: finch.mdb, finch.bak, the copy and a few of the journal's.
             const qint64 room =
                 (QFileInfo(Database()).size() + QFileInfo(measure).size()) / 4096 * 4096 +
                 6 * 4096;
             ASSERT_TRUE(QFile::remove(measure));
             ASSERT_EQ(::mount("tmpfs", QFile::encodeName(Folder()).constData(), "tmpfs",
                               MS_REMOUNT, QByteArray("size=" + QByteArray::number(room))),
                       0);
         },
         {Prompt::Answer::Yes, Prompt::Answer::No},
         true,
         {question, overwrite, QStringLiteral("database or disk is full")},
         {started, compacting, QStringLiteral("Compacted database size %2 kbytes."),
          QStringLiteral("Successfully compacted database"),
          QStringLiteral("Deleting original database"),
          QStringLiteral("Failed to delete original database")},
         {QStringLiteral("finchCompact.mdb")}},
        // Last: the folder in its way stays.
        {"backup that cannot be written",
         [&] {
             make();
             ASSERT_TRUE(QDir(Folder()).mkpath(QStringLiteral("finch.bak-new/inside")));
         },
         {Prompt::Answer::Yes},
         true,
         {question, QStringLiteral("File exists")},
         {started, creating, QStringLiteral("Backup of database could not be created.")},
         {}},
    };

    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        for (const QString &name : QDir(Folder()).entryList({QStringLiteral("finch*")}))
            ASSERT_TRUE(QFile::remove(File(name)));
        refusal.setUp();
        if (IsSkipped())
            continue;
        const QMap<QString, QByteArray> before = Files();
        const QString kbytes = QString::number((QFileInfo(Database()).size() + 500) / 1000);
        window.List->clear();
        window.List->addItem(QStringLiteral("shown before"));
        ScriptedPrompt answers(refusal.answers);

        if (refusal.fromButton)
            QTest::mouseClick(window.btnCDB, Qt::LeftButton);
        else
            window.PackwellTest();

        const QString compacted = QString::number(
            (QFileInfo(File(QStringLiteral("finchCompact.mdb"))).size() + 500) / 1000);
        const auto filled = [&](QStringList texts) {
            for (QString &text : texts)
                text = text.replace(QStringLiteral("%1"), kbytes)
                           .replace(QStringLiteral("%2"), compacted);
            return texts;
        };
        EXPECT_EQ(answers.Texts(), filled(refusal.messages));
        for (const Prompt::Message &message : answers.Messages().mid(refusal.answers.size()))
            EXPECT_EQ(message.title, QStringLiteral("Packwell"));
        QStringList lines = filled(refusal.lines);
        if (refusal.fromButton && lines.isEmpty())
            lines.prepend(QStringLiteral("shown before"));
        EXPECT_EQ(Lines(), lines);

        QMap<QString, QByteArray> after = Files();
        for (const QString &name : refusal.newFiles)
            EXPECT_FALSE(after.take(name).isEmpty()) << name.toStdString();
        EXPECT_EQ(after.keys(), before.keys());
        EXPECT_TRUE(after == before) << "a file changed";
        EXPECT_TRUE(window.btnCDB->isEnabled());
        holder.reset();
        full.reset();
    }
}

using PackwellWindow = PackwellFixture;

// Activation tells the size, or where the file was looked for, below what the list holds;
// the text, list and button all show in a window of about the original's size.
TEST_F(PackwellWindow, ActivationAddsTheSizeLine)
{
    window.List->addItem(QStringLiteral("shown before"));
    window.Form_Activate();
    ASSERT_EQ(MakeDatabase(Database()), QString());
    window.show();
    EXPECT_EQ(Lines(), QStringList({QStringLiteral("shown before"),
                                    QStringLiteral("finch.mdb was not found in ") + Folder(),
                                    SizeLine(Database())}));
    EXPECT_EQ(window.Label1->text(),
              QStringLiteral("This program is used to compact the Finch.mdb database used in "
                             "Vantrel.Please close Vantrel before clicking the Compact Database "
                             "button."));
    window.hide();
    window.show();
    EXPECT_EQ(Lines().size(), 3);

    // Its own size, but wider where a line of the list (here the folder's path) needs it.
    EXPECT_NEAR(window.width(), std::max(474, window.minimumSizeHint().width()), 47);
    EXPECT_NEAR(window.height(), 408, 41);
    const QRect label = window.Label1->geometry();
    const QRect list = window.List->geometry();
    const QRect button = window.btnCDB->geometry();
    EXPECT_GE(label.height(), window.Label1->heightForWidth(label.width()));
    EXPECT_LT(label.bottom(), list.top());
    EXPECT_LT(list.bottom(), button.top());
    EXPECT_GT(list.height(), 150);
    EXPECT_LT(list.width(), label.width());
    EXPECT_NEAR(button.center().x(), window.width() / 2, 2);
    EXPECT_GE(button.width(), window.btnCDB->sizeHint().width());
    EXPECT_TRUE(window.rect().contains(button));
}

// The program as its main starts it: its own title on real message boxes, the window with
// its size line, and the end when the window closes.
TEST_F(PackwellWindow, ProgramRunsUntilItsWindowCloses)
{
    ProgramInfo::SetTitle({});
    ASSERT_EQ(MakeDatabase(Database()), QString());
    const QByteArray database = ReadAll(Database());
    QStringList shown;
    const auto answerBox = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        shown << box->windowTitle() << box->text();
        box->button(QMessageBox::No)->click();
    };
    QTimer::singleShot(0, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() != QLatin1String("Main") || !widget->isVisible())
                continue;
            auto *list = widget->findChild<QListWidget *>(QStringLiteral("List"));
            shown << list->item(0)->text();
            QTimer::singleShot(0, answerBox);
            widget->findChild<QPushButton *>(QStringLiteral("btnCDB"))->click();
            widget->close();
        }
    });
    EXPECT_EQ(RunPackwell(), 0);
    EXPECT_EQ(shown, QStringList({SizeLine(Database()), QStringLiteral("Compact Database"),
                                  QStringLiteral("The Database is %1 kbytes.  Compact Database?  ")
                                      .arg((database.size() + 500) / 1000)}));
    EXPECT_EQ(ReadAll(Database()), database);
    EXPECT_EQ(ProgramInfo::Title(), QStringLiteral("Packwell"));
}

// Programs using the file while it is compacted: every commit they were told succeeded is
// in the file at the end, and whenever one holds the file the operator is told it is in use.
TEST_F(PackwellWindow, LosesNoCommitOfProgramsUsingTheFileMeanwhile)
{
    ASSERT_EQ(MakeDatabase(Database()), QString());
    ASSERT_EQ(Sqlite(Database(), QStringLiteral("PRAGMA journal_mode = WAL")),
              QStringLiteral("wal\n"));
    const auto python = [this](const char *script) {
        auto *process = new QProcess(&window);
        process->start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral("-c"), QString::fromLatin1(script), Database()});
        return process;
    };
    ScriptedPrompt answers;

    // One opened the file before the run and uses it only after it, when another has
    // opened the file and committed.
    QProcess *early = python("import sqlite3, sys\n"
                             "x = sqlite3.connect(sys.argv[1], isolation_level=None, timeout=5)\n"
                             "print('opened', flush=True)\n"
                             "sys.stdin.readline()\n"
                             "y = sqlite3.connect(sys.argv[1], isolation_level=None, timeout=5)\n"
                             "y.execute(\"INSERT INTO tblReadings (note) VALUES ('late')\")\n"
                             "x.execute('SELECT count(*) FROM tblReadings').fetchall()\n"
                             "y.close()\n"
                             "x.execute(\"INSERT INTO tblReadings (note) VALUES ('early')\")\n"
                             "print('committed', flush=True)\n");
    ASSERT_TRUE(Said(*early, "opened"));
    window.PackwellTest();
    EXPECT_EQ(Lines().last(), QStringLiteral("Complete"));
    early->write("\n");
    ASSERT_TRUE(Said(*early, "committed"));
    ASSERT_TRUE(early->waitForFinished());
    EXPECT_EQ(Sqlite(Database(), QStringLiteral("SELECT note FROM tblReadings WHERE note IN "
                                                "('early', 'late') ORDER BY note")),
              QStringLiteral("early\nlate\n"));

    // Two that open the file for each of their commits, all through repeated compactions.
    // Each one's own, so that lines stay whole.
    std::array<QByteArray, 2> said;
    const auto commits = [&] { return said[0].count("commit") + said[1].count("commit"); };
    const auto writer = [&](QByteArray &output) {
        QProcess *process =
            python("import sqlite3, sys, time, os\n"
                   "for i in range(1, 1000000):\n"
                   "    try:\n"
                   "        c = sqlite3.connect(sys.argv[1], timeout=0.2, isolation_level=None)\n"
                   "        c.execute('INSERT INTO tblReadings (note) VALUES (?)', "
                   "('commit %d %d' % (os.getpid(), i),))\n"
                   "        c.close()\n"
                   "        print('commit %d %d' % (os.getpid(), i), flush=True)\n"
                   "    except sqlite3.Error as e:\n"
                   "        print(e, flush=True)\n"
                   "    time.sleep(0.003)\n");
        QObject::connect(process, &QProcess::readyReadStandardOutput,
                         [&output, process] { output += process->readAllStandardOutput(); });
        return process;
    };
    const std::array writers{writer(said[0]), writer(said[1])};
    int complete = 0;
    for (int run = 0; run < 1000 && complete < 10; ++run) {
        // A commit between each two runs.
        const qsizetype before = commits();
        ASSERT_TRUE(QTest::qWaitFor([&] { return commits() > before; }, 5000));
        window.PackwellTest();
        complete += Lines().contains(QStringLiteral("Complete"));
    }
    for (int i = 0; i < 2; ++i) {
        writers[i]->kill();
        writers[i]->waitForFinished();
        said[i] += writers[i]->readAllStandardOutput();
    }
    EXPECT_EQ(complete, 10);
    for (const QString &text : answers.Texts()) {
        if (!text.startsWith(QStringLiteral("A copy of the database already exists."))) {
            EXPECT_EQ(text, kLocked);
        }
    }

    // What the writers were told they committed, less what the file holds: what was lost.
    QSet<QString> lost;
    for (const QString &line : QString::fromUtf8(said[0] + '\n' + said[1]).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("commit ")))
            lost.insert(line);
    for (const QString &note : Sqlite(Database(), QStringLiteral("SELECT note FROM tblReadings"))
                                   .split(QLatin1Char('\n')))
        lost.remove(note);
    EXPECT_TRUE(lost.isEmpty()) << QStringList(lost.values()).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(IntegrityCheck(Database()), QStringLiteral("ok\n"));
    EXPECT_FALSE(said[0].contains("malformed") || said[1].contains("malformed"));
}
