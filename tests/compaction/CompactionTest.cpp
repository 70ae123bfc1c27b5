#include "Compaction.h"
#include "PackwellFixture.h"

#include <QFile>

TEST(Compaction, SizesInKBytesAndTheComparisonLine)
{
    const struct {
        qint64 bytes;
        qint64 kbytes;
    } sizes[] = {{0, 0}, {499, 0}, {500, 1}, {1234567, 1235}, {3LL << 30, 3221225}};
    for (const auto &size : sizes)
        EXPECT_EQ(KBytes(size.bytes), size.kbytes) << size.bytes;

    EXPECT_EQ(ComparisonLine(2500, 2499), QStringLiteral("Successfully compacted database"));
    EXPECT_EQ(ComparisonLine(2500, 2500),
              QStringLiteral("Database is 3 kbytes and could not be compacted further."));
    EXPECT_EQ(ComparisonLine(2500, 2501), QString());
}

using CopyCheck = PackwellFixture;

// A copy stands in for the original only when the engine finds it sound and every table
// holds the original's rows.
TEST_F(CopyCheck, RefusesDamagedOrShortCopies)
{
    ASSERT_EQ(MakeDatabase(Database()), QString());
    ExclusiveDatabase original(Database());
    ASSERT_EQ(original.Status(), ExclusiveDatabase::State::Held);
    const auto counts = original.Counts();
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->value(QStringLiteral("tblReadings")), 2000);
    EXPECT_EQ(counts->value(QStringLiteral("tbl \"Notes\"")), 1);

    const struct {
        const char *name;
        std::function<void(const QString &)> spoil;
        const char *reason;
    } cases[] = {
        {"sound", [](const QString &) {}, ""},
        {"rows deleted",
         [](const QString &copy) {
             Sqlite(copy, QStringLiteral("DELETE FROM tblReadings WHERE id < 9"));
         },
         "table tblReadings holds 1996 rows instead of 2000"},
        {"table dropped",
         [](const QString &copy) {
             Sqlite(copy, QStringLiteral("DROP TABLE \"tbl \"\"Notes\"\"\""));
         },
         "table tbl \"Notes\" is missing"},
        {"bytes overwritten inside its pages",
         [](const QString &copy) {
             QFile file(copy);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.seek(4096 * 5);
             file.write(QByteArray(4096 * 3, '\x5a'));
         },
         "*"},
    };
    for (const auto &c : cases) {
        const QString copy = File(QString::fromLatin1(c.name));
        ASSERT_TRUE(original.WriteCopy(copy)) << original.Error().toStdString();
        c.spoil(copy);
        const QString reason = CheckCopy(copy, *counts);
        if (QLatin1String(c.reason) == QLatin1String("*"))
            EXPECT_FALSE(reason.isEmpty()) << c.name;
        else
            EXPECT_EQ(reason, QString::fromLatin1(c.reason)) << c.name;
    }
    // Nobody else reads or writes the file while it is held, through copies and checks.
    EXPECT_TRUE(Sqlite(Database(), QStringLiteral("SELECT count(*) FROM tblReadings"))
                    .contains(QStringLiteral("database is locked")));
    // Opening never creates the file.
    const ExclusiveDatabase absent(File(QStringLiteral("absent.mdb")));
    EXPECT_EQ(absent.Status(), ExclusiveDatabase::State::Failed);
    EXPECT_FALSE(absent.Error().isEmpty());
    EXPECT_FALSE(QFile::exists(File(QStringLiteral("absent.mdb"))));
    // A copy takes the place of a file in one step, or stays where it is with the reason.
    QString error;
    EXPECT_TRUE(
        ReplaceFile(File(QStringLiteral("sound")), File(QStringLiteral("table dropped")), error));
    EXPECT_FALSE(QFile::exists(File(QStringLiteral("sound"))));
    EXPECT_EQ(CheckCopy(File(QStringLiteral("table dropped")), *counts), QString());
    ASSERT_TRUE(QDir(Folder()).mkpath(QStringLiteral("folder/inside")));
    EXPECT_FALSE(
        ReplaceFile(File(QStringLiteral("rows deleted")), File(QStringLiteral("folder")), error));
    EXPECT_EQ(error, QStringLiteral("Is a directory"));
    EXPECT_TRUE(QFile::exists(File(QStringLiteral("rows deleted"))));
    // The engine never writes over a file that holds something.
    EXPECT_FALSE(original.WriteCopy(File(QStringLiteral("rows deleted"))));
    EXPECT_TRUE(original.Error().contains(QStringLiteral("output file already exists")))
        << original.Error().toStdString();
    // Nor writes back a copy it cannot open, and the file keeps its rows.
    EXPECT_FALSE(original.WriteBack(File(QStringLiteral("absent.mdb"))));
    EXPECT_EQ(original.Error(), QStringLiteral("unable to open database file"));
    EXPECT_EQ(original.Counts(), counts);

    // In WAL mode, rows a killed program left in the log only are in the bytes copied.
    const QString logged = File(QStringLiteral("logged.mdb"));
    ASSERT_EQ(MakeDatabase(logged), QString());
    ASSERT_TRUE(LeaveCrashedWritersLog(logged));
    const QMap<QString, QByteArray> left = Files();
    ExclusiveDatabase held(logged);
    ASSERT_EQ(held.Status(), ExclusiveDatabase::State::Held);
    ASSERT_TRUE(held.CopyBytes(File(QStringLiteral("logged.bak"))));
    // ... folded into the copy alone: the file and its log keep their bytes.
    QMap<QString, QByteArray> files = Files();
    EXPECT_EQ(files.take(QStringLiteral("logged.bak")).mid(18, 2), "\2\2");
    EXPECT_TRUE(files == left);
    EXPECT_TRUE(
        Dump(File(QStringLiteral("logged.bak"))).contains(QStringLiteral("only in the log")));

    // A disk that fills during the copy gives the system's reason. Mounting a small file
    // system of its own needs the right to; without it that is all this test cannot show.
    const QString full = File(QStringLiteral("full"));
    ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("full")));
    const Mount small(QStringLiteral("tmpfs"), full, "tmpfs", 0, "size=64k");
    if (small.Error())
        GTEST_SKIP() << "no tmpfs: " << small.Error();
    EXPECT_FALSE(held.CopyBytes(full + QStringLiteral("/logged.bak")));
    EXPECT_EQ(held.Error(), QStringLiteral("No space left on device"));
}
