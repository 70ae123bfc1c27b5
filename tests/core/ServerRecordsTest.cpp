#include "Database.h"
#include "ScriptedPrompt.h"
#include "ServerDatabase.h"
#include "TempProgramFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class ServerRecords : public TempProgramFolder {
protected:
    // Adds a server and returns its IDNum.
    qint32 Add(const QString &name, const QString &ip, qint16 comm = -1)
    {
        EXPECT_TRUE(AddServer(name, QStringLiteral("RK715"), ip, QStringLiteral("notes"), 1,
                              QStringLiteral("pw"), QStringLiteral("a@b.example,"), comm));
        DatabaseConnection db;
        return db.Select(QStringLiteral("SELECT MAX(IDNum) FROM tblServers"))
            ->first()
            .value(0)
            .toInt();
    }

    ScriptedPrompt m_prompt;
};

} // namespace

TEST_F(ServerRecords, QuotedTextsAreStoredAndReadBackIntact)
{
    const QString name = QStringLiteral("O'Brien's lab");
    const QString notes = QStringLiteral("it's ok'); DROP TABLE tblServers; --");
    const QString ip = QStringLiteral("10.0.0.'1");
    const QString password = QStringLiteral("p'w\"d");
    const QString email = QStringLiteral("o'brien@lab.example,");
    ASSERT_TRUE(AddServer(name, QStringLiteral("RK'715"), ip, notes, 1, password, email, -1));

    Recordset rs;
    ASSERT_TRUE(OpenServerRecord(1, rs));
    ASSERT_EQ(rs.size(), 1);
    EXPECT_EQ(rs[0].value(QStringLiteral("ServerName")).toString(), name);
    EXPECT_EQ(rs[0].value(QStringLiteral("ServerNotes")).toString(), notes);
    EXPECT_EQ(rs[0].value(QStringLiteral("UserPassword")).toString(), password);
    EXPECT_EQ(rs[0].value(QStringLiteral("EmailAddress")).toString(), email);

    QString holder;
    EXPECT_FALSE(VerifyUniqueIPAddress(ip, holder));
    EXPECT_EQ(holder, name);

    const QString renamed = QStringLiteral("Lab 'B'");
    ASSERT_TRUE(UpdateServer(1, renamed, QStringLiteral("m"), ip, notes, 0, password, email, 0));
    ASSERT_TRUE(UpdateServerEmail(1, QStringLiteral("x'y@z.example,")));
    QVariant value;
    ASSERT_TRUE(
        GetServerField(1, QStringLiteral("tblServers"), QStringLiteral("ServerName"), value));
    EXPECT_EQ(value.toString(), renamed);
    ASSERT_TRUE(
        GetServerField(1, QStringLiteral("tblServers"), QStringLiteral("EmailAddress"), value));
    EXPECT_EQ(value.toString(), QStringLiteral("x'y@z.example,"));
    EXPECT_TRUE(m_prompt.Texts().isEmpty());
}

TEST_F(ServerRecords, AddServerRefusesAnAddressAlreadyStored)
{
    Add(QStringLiteral("First"), QStringLiteral("10.0.0.5"));
    EXPECT_FALSE(
        AddServer(QStringLiteral("Second"), {}, QStringLiteral("10.0.0.5"), {}, 1, {}, {}, -1));
    EXPECT_EQ(m_prompt.Texts(),
              QStringList{QStringLiteral("The IP address for this server is not unique.  "
                                         "Please verify the desired IP address.")});
    EXPECT_EQ(m_prompt.Messages().first().icon, Prompt::Icon::None);
    EXPECT_EQ(Rows(QStringLiteral("SELECT ServerName FROM tblServers")),
              QStringList{QStringLiteral("ServerName=First")});

    QString name = QStringLiteral("unchanged");
    EXPECT_TRUE(VerifyUniqueIPAddress(QStringLiteral("10.0.0.50"), name));
    EXPECT_EQ(name, QStringLiteral("unchanged"));

    // Texts left empty are stored as empty text, never as a missing value.
    ASSERT_TRUE(AddServer(QString(), {}, QStringLiteral("10.0.0.6"), {}, 0, {}, {}, 0));
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) AS n FROM tblServers WHERE ServerName = '' AND "
                                  "ServerNotes = '' AND EmailAddress = ''")),
              QStringList{QStringLiteral("n=1")});
}

TEST_F(ServerRecords, LoadServersListsRootThenServersByNameWithFixedWidthNames)
{
    QList<ServerTreeEntry> nodes{{QStringLiteral("stale"), {}, 2}};
    EXPECT_FALSE(LoadServers(nodes));
    ASSERT_EQ(nodes.size(), 1);
    EXPECT_EQ(nodes[0].key, QStringLiteral("MainNode"));
    EXPECT_EQ(nodes[0].text, QStringLiteral("Available Zarvo Devices"));
    EXPECT_EQ(nodes[0].picture, 1);

    const qint32 zeta = Add(QStringLiteral("zeta"), QStringLiteral("10.0.0.3"), -1);
    const qint32 alpha = Add(QStringLiteral("alpha"), QStringLiteral("10.0.0.1"), 0);
    const qint32 mid =
        Add(QStringLiteral("Mid-floor freezer number 12"), QStringLiteral("10.0.0.2"), -1);
    ASSERT_TRUE(LoadServers(nodes));
    ASSERT_EQ(nodes.size(), 4);
    EXPECT_EQ(nodes[1].key, QStringLiteral("SERVER%1").arg(alpha));
    EXPECT_EQ(nodes[1].text, QStringLiteral("alpha                @ IP 10.0.0.1"));
    EXPECT_EQ(nodes[1].picture, 2);
    EXPECT_EQ(nodes[2].key, QStringLiteral("SERVER%1").arg(mid));
    EXPECT_EQ(nodes[2].text, QStringLiteral("Mid-floor freezer nu @ IP 10.0.0.2"));
    EXPECT_EQ(nodes[2].picture, 1);
    EXPECT_EQ(nodes[3].key, QStringLiteral("SERVER%1").arg(zeta));
    EXPECT_EQ(nodes[3].picture, 1);

    ASSERT_TRUE(EnableDisableServer(alpha, 1, -1));
    ASSERT_TRUE(LoadServers(nodes));
    EXPECT_EQ(nodes[1].picture, 1);
    EXPECT_EQ(
        Rows(QStringLiteral("SELECT Enabled, Comm FROM tblServers WHERE IDNum = %1").arg(alpha)),
        QStringList{QStringLiteral("Enabled=1|Comm=-1")});
}

TEST_F(ServerRecords, GetServerFieldAcceptsOnlyNamesTheSchemaHolds)
{
    const qint32 id = Add(QStringLiteral("Lab"), QStringLiteral("10.0.0.9"));
    struct Case {
        const char *name;
        qint32 id;
        const char *table;
        const char *field;
        bool found;
    };
    const Case cases[] = {
        {"named field", id, "tblServers", "ServerIPAddress", true},
        {"letter case as the old engine", id, "TBLSERVERS", "serveripaddress", true},
        {"no such row", id + 1, "tblServers", "ServerIPAddress", false},
        {"no such table", id, "tblNope", "ServerIPAddress", false},
        {"no such field", id, "tblServers", "Nope", false},
        {"table without IDNum", id, "tblErrors", "Cause", false},
        {"internal table", id, "sqlite_master", "name", false},
        {"statement in the table name", id, "tblServers; DELETE FROM tblServers; --", "ServerName",
         false},
        {"statement in the field name", id, "tblServers", "ServerName FROM tblServers; --", false},
    };
    for (const Case &c : cases) {
        QVariant value = QStringLiteral("unchanged");
        EXPECT_EQ(GetServerField(c.id, QLatin1String(c.table), QLatin1String(c.field), value),
                  c.found)
            << c.name;
        EXPECT_EQ(value.toString(),
                  c.found ? QStringLiteral("10.0.0.9") : QStringLiteral("unchanged"))
            << c.name;
    }
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) AS n FROM tblServers")),
              QStringList{QStringLiteral("n=1")});
}

TEST_F(ServerRecords, EachOperationReportsAMissingFileWithItsOwnMessage)
{
    ASSERT_TRUE(QFile::remove(File(QStringLiteral("zarvo.mdb"))));
    QString name;
    Recordset rs;
    qint32 count = 7;
    EXPECT_FALSE(RecordServers(rs, count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(OpenServerRecord(1, rs));
    EXPECT_FALSE(VerifyUniqueIPAddress(QStringLiteral("10.0.0.1"), name));
    EXPECT_FALSE(AddServer(QStringLiteral("n"), {}, QStringLiteral("10.0.0.1"), {}, 1, {}, {}, -1));
    EXPECT_FALSE(UpdateServer(1, QStringLiteral("n"), {}, {}, {}, 1, {}, {}, -1));
    EXPECT_FALSE(UpdateServerEmail(1, QStringLiteral("a@b.example,")));
    EXPECT_FALSE(EnableDisableServer(1, 0, 0));
    QList<ServerTreeEntry> nodes;
    EXPECT_FALSE(LoadServers(nodes));
    EXPECT_EQ(nodes.size(), 1);

    const QStringList prefixes = {
        QStringLiteral("Error verifying that the IP address 10.0.0.1 is unique.  The error is:  "),
        QStringLiteral("Error adding server, the error is "),
        QStringLiteral("Error in UpdateServer is "),
        QStringLiteral("Error updating email addresses.  The error is: "),
        QStringLiteral("Error in EnableDisableServer is "),
    };
    const QStringList texts = m_prompt.Texts();
    ASSERT_EQ(texts.size(), prefixes.size());
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_TRUE(texts[i].startsWith(prefixes[i])) << qPrintable(texts[i]);
        EXPECT_GT(texts[i].size(), prefixes[i].size()) << "the error's description follows";
    }
    EXPECT_FALSE(QFile::exists(File(QStringLiteral("zarvo.mdb"))));
}
