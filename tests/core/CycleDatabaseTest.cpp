#include "Database.h"
#include "PollingFixture.h"

#include <QProcess>

#include <unistd.h>

namespace {

// Runs the sqlite3 shell on a file; its output, or the error when it failed.
QString Sqlite3(const QString &file, const QString &sql)
{
    QProcess shell;
    shell.start(u"sqlite3"_s, {u"-bail"_s, file, sql});
    if (!shell.waitForFinished(10000) || shell.exitCode() != 0)
        return u"failed: "_s + QString::fromUtf8(shell.readAllStandardError());
    return QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
}

} // namespace

class CycleDatabaseTest : public PollingTest {
protected:
    // One server whose one sensor is in alarm: every cycle that finds no open row opens one.
    void SetUp() override
    {
        PollingTest::SetUp();
        a.channels[0] = {95, 3, 3};
        sensor = AddSensor(AddServerAt(a, u"Lab"_s, u"RK730"_s), u"Freezer"_s, 0);
    }

    QString Alarms(const QString &file) const
    {
        return Sqlite3(file, u"SELECT group_concat(AlarmStart, ';') FROM tblAlarms"_s);
    }

    qint32 sensor = 0;
};

// A restore renames another file over zarvo.mdb; a clean-up deletes it. Either way the
// file the station had open must never receive another byte.
TEST_F(CycleDatabaseTest, ReplacedOrDeletedFileIsNeverWrittenThroughTheOldHandle)
{
    for (const bool replace : {true, false}) {
        SCOPED_TRACE(replace ? "replaced" : "deleted");
        const QString path = File(u"zarvo.mdb"_s);
        const QString restore = File(u"restore.mdb"_s);
        const QString old = File(u"old.mdb"_s);
        QFile::remove(restore);
        QFile::remove(old);
        ASSERT_TRUE(QFile::copy(path, restore)); // servers and sensors, no alarm
        LogRoutine();
        ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(old).constData()),
                  0);
        const QByteArray before = ReadAll(old);
        ASSERT_EQ(Alarms(old), u"2026-03-01 09:00:00"_s);

        if (replace)
            ASSERT_EQ(::rename(QFile::encodeName(restore).constData(),
                               QFile::encodeName(path).constData()),
                      0);
        else
            ASSERT_TRUE(QFile::remove(path));
        AdvanceClock(1);
        m_smtp.Clear();
        LogRoutine();

        EXPECT_EQ(ReadAll(old), before);
        if (replace) {
            EXPECT_EQ(Alarms(path), u"2026-03-01 09:01:00"_s);
            EXPECT_EQ(MailsTo("ops").size(), 1);
        } else {
            EXPECT_FALSE(QFile::exists(path)); // nothing created in its place
            EXPECT_EQ(board.Lines().filter(kDatabaseErrorKey).size(), 1);
            ASSERT_TRUE(QFile::rename(old, path));
        }
        m_now = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        Clock::SetFixed(m_now);
        ASSERT_EQ(Sqlite3(path, u"DELETE FROM tblAlarms"_s), QString());
    }
}

// Between cycles the station holds no lock: another program may take the whole file.
TEST_F(CycleDatabaseTest, IdleStationLeavesTheFileFreeForAnExclusiveTransaction)
{
    LogRoutine();
    const DatabaseConnection open; // the connection stays open between operations
    ASSERT_TRUE(open.IsOpen());
    EXPECT_EQ(Sqlite3(File(u"zarvo.mdb"_s), u"BEGIN EXCLUSIVE; SELECT count(*) FROM tblAlarms; "
                                            "COMMIT;"_s),
              u"1"_s);
    AdvanceClock(1);
    LogRoutine();
    EXPECT_EQ(ErrorRows(), QStringList());
}
