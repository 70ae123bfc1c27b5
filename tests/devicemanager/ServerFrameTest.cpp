#include "DeviceManagerFixture.h"

#include "StatusGrid.h"
#include "WindowsColour.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QString Headers(const FakeDevice &device)
{
    QStringList headers;
    for (const QByteArray &request : device.Requests())
        headers << QString::fromLatin1(request.left(4).toHex().toUpper());
    return headers.join(u' ');
}

class ServerFrameTest : public DeviceManagerFixture {
protected:
    void NewServer(const QString &name, const QString &ip, bool enable = true)
    {
        screen->mnuAdd->trigger();
        screen->txtServerName->setText(name);
        screen->txtServerIPAddress->setText(ip);
        screen->chkEnable->setChecked(enable);
    }

    void Save() { QTest::mouseClick(screen->btnSaveServer, Qt::LeftButton); }

    QStringList Servers() const
    {
        return Rows(QStringLiteral("SELECT ServerName, ServerModel, ServerIPAddress, Enabled, Comm,"
                                   " UserPassword FROM tblServers ORDER BY IDNum"));
    }
};

// One row per outcome of a save of a new, enabled (unless said) server named Lab.
struct SaveCase {
    const char *name;
    const char *typedName;
    bool enable;
    bool answers; // a device at the address, or a refused address
    bool clash;   // the address already belongs to "Other"
    QByteArray knobHeader;
    FakeDevice::Behaviour behaviour;
    const char *requests;
    const char *stored; // "Enabled=..|Comm=.." of the new row; empty: nothing stored
    const char *label;
    bool red;
    const char *message;
};

void PrintTo(const SaveCase &c, std::ostream *out)
{
    *out << c.name;
}

class SaveOutcome : public ServerFrameTest, public ::testing::WithParamInterface<SaveCase> {};

constexpr auto kNormal = FakeDevice::Behaviour::Normal;
const QByteArray kPage2 = QByteArray::fromHex("AABBCC02");
const QByteArray kStore2 = QByteArray::fromHex("DDCCBB02");
constexpr const char *kError = "There was an error uploading the server data to Lab.";
constexpr const char *kPhone =
    " is currently on the phone. The server will be added to the monitoring system but will "
    "not be enabled.";

TEST_P(SaveOutcome, StoresTheRowAndWritesThePageAsTheDeviceAllows)
{
    const SaveCase &c = GetParam();
    const auto device = Device();
    device->SetKnob(c.knobHeader, {c.behaviour, 0, 30, 50, "Xy"});
    const QString ip = c.answers ? device->Address() : UnusedLoopbackAddress();
    if (c.clash)
        Add(QStringLiteral("  Other "), ip);
    Open();
    NewServer(QString::fromUtf8(c.typedName), ip, c.enable);
    screen->txtUserPassword->clear();
    Save();

    const auto fill = [&](const char *text) {
        return QString::fromUtf8(text).replace(QStringLiteral("{ip}"), ip);
    };
    EXPECT_EQ(Headers(*device), QString::fromUtf8(c.requests));
    const QStringList servers = Servers();
    const QString newRow = servers.value(c.clash ? 1 : 0);
    const QString expected =
        *c.stored ? QStringLiteral("ServerName=Lab|ServerModel=") +
                        (*c.requests ? QStringLiteral("Model QRB-RK710-7: ZARVOPHONE Alarm Dialer")
                                     : QStringLiteral("Unknown server model")) +
                        QStringLiteral("|ServerIPAddress=") + ip + QLatin1Char('|') +
                        fill(c.stored) + QStringLiteral("|UserPassword=****")
                  : QString();
    EXPECT_EQ(newRow, expected);
    EXPECT_EQ(screen->lblServerError->text(), fill(c.label));
    if (*c.label) {
        EXPECT_EQ(TextColour(screen->lblServerError), c.red ? 0xFF0000u : 0u);
    }
    EXPECT_EQ(Messages(), *c.message ? QStringList(fill(c.message)) : QStringList());
    EXPECT_FALSE(screen->Busy());
}

INSTANTIATE_TEST_SUITE_P(
    ServerFrame, SaveOutcome,
    ::testing::Values(
        SaveCase{"NameMissing",
                 "",
                 true,
                 true,
                 false,
                 {},
                 kNormal,
                 "",
                 "",
                 "",
                 false,
                 "Please enter a name for this server."},
        SaveCase{"AddressInUse",
                 "Lab",
                 true,
                 true,
                 true,
                 {},
                 kNormal,
                 "",
                 "",
                 "",
                 false,
                 "The IP address {ip} is currently being used by Other.  Please enter a unique "
                 "IP address."},
        SaveCase{"NotEnabled",
                 "Lab",
                 false,
                 true,
                 false,
                 {},
                 kNormal,
                 "",
                 "Enabled=0|Comm=0",
                 "",
                 false,
                 ""},
        SaveCase{"NoAnswer",
                 "Lab",
                 true,
                 false,
                 false,
                 {},
                 kNormal,
                 "",
                 "",
                 "",
                 false,
                 "Can not communicate with{ip}"},
        SaveCase{"PageReadBusy", "Lab", true, true, false, kPage2, FakeDevice::Behaviour::Busy,
                 "2ACDDCBA AABBCC02", "Enabled=0|Comm=-1",
                 "Lab is currently on the phone. The "
                 "server will be added to the monitoring system but will not be enabled.",
                 false,
                 "Lab is currently on the phone.  The server will be added to the monitoring "
                 "system but will not be enabled."},
        SaveCase{"PageReadFails", "Lab", true, true, false, kPage2,
                 FakeDevice::Behaviour::WrongEcho, "2ACDDCBA AABBCC02", "Enabled=0|Comm=0",
                 "There was an error uploading the server data to Lab.  Before proceeding please "
                 "verify the IP address, and that Lab is powered on and connected to the network. "
                 "Lab has been added to the database.",
                 true,
                 "There was an error uploading data to Lab.  Before proceeding please verify the "
                 "IP address you are using and that Lab is powered on and connected to the "
                 "network. Lab has been added to the database."},
        SaveCase{"StoreEchoed",
                 "Lab",
                 true,
                 true,
                 false,
                 {},
                 kNormal,
                 "2ACDDCBA AABBCC02 DDCCBB02",
                 "Enabled=1|Comm=-1",
                 "Successfully uploaded data to Lab                 ",
                 false,
                 ""},
        SaveCase{"StoreBusy", "Lab", true, true, false, kStore2, FakeDevice::Behaviour::Busy,
                 "2ACDDCBA AABBCC02 DDCCBB02", "Enabled=0|Comm=0",
                 "Lab                  is currently on the phone. The server will be added to the "
                 "monitoring system but will not be enabled.",
                 false,
                 "Lab                  is currently on the phone. The server will be added to the "
                 "monitoring system but will not be enabled."},
        SaveCase{"StoreNotConfirmed", "Lab", true, true, false, kStore2,
                 FakeDevice::Behaviour::ErrorText, "2ACDDCBA AABBCC02 DDCCBB02", "Enabled=0|Comm=0",
                 kError, false,
                 "There was an error uploading the server data to Lab.  Before proceeding please "
                 "verify the IP address you are using and that Lab is powered on and connected to "
                 "the network."}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ServerFrameTest, RefusedEntriesTurnYellowUntilTypedIn)
{
    Open();
    NewServer(QStringLiteral("Lab"), QString());
    Save();
    EXPECT_EQ(Messages(), QStringList(QStringLiteral("Please enter the IP address.")));
    EXPECT_EQ(screen->txtServerIPAddress->palette().color(QPalette::Base),
              WindowsColour(kColourYellow));
    EXPECT_EQ(screen->focusWidget(), screen->txtServerIPAddress);
    QTest::keyClicks(screen->txtServerIPAddress, QStringLiteral("1"));
    EXPECT_EQ(screen->txtServerIPAddress->palette().color(QPalette::Base),
              WindowsColour(kColourWhite));
    EXPECT_TRUE(Servers().isEmpty());

    // The name is part of a record file's name.
    const auto device = Device();
    // A lone surrogate is written as three bytes.
    for (const QString &name : {QStringLiteral("Lab/2"), QStringLiteral("Lab\r\n"),
                                QStringLiteral("Lab\t2"), QStringLiteral("."), QStringLiteral(".."),
                                QString(238, u'x'), QString(QString(118, QChar(0xD800)) + u'x')}) {
        Answer({});
        NewServer(name, device->Address());
        Save();
        EXPECT_EQ(Messages(), QStringList(QStringLiteral(
                                  "Please enter a server name that can be part of a file name: "
                                  "without \"/\" or control characters, not \".\" or \"..\", "
                                  "and of at most 237 bytes.")));
        EXPECT_EQ(screen->txtServerName->palette().color(QPalette::Base),
                  WindowsColour(kColourYellow));
        EXPECT_EQ(screen->focusWidget(), screen->txtServerName);
    }
    EXPECT_TRUE(device->Requests().isEmpty());
    EXPECT_TRUE(Servers().isEmpty());
    NewServer(QString(237, u'x'), device->Address(), false);
    Save();
    EXPECT_EQ(Servers().size(), 1) << "the longest name";
}

// Another tool named the device "Error LED rack"; names are the user's, whatever they say.
TEST_F(ServerFrameTest, NamesHoldingErrorAreNamesNotErrorReplies)
{
    const auto device = Device(5, 7, 25, "Error LED rack");
    device->pages[2].replace(29, 20, "error.example       ");
    Open();
    NewServer(QStringLiteral("Terror Freezer"), device->Address());
    Save();
    const QString names = QStringLiteral("SELECT ServerName, Enabled FROM tblServers");
    EXPECT_EQ(Rows(names), QStringList(QStringLiteral("ServerName=Terror Freezer|Enabled=1")));
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("Successfully uploaded data to Terror Freezer      "));
    EXPECT_EQ(device->pages[2].mid(8, 20), QByteArray("Terror Freezer      "));

    Edit(2);
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("Successfully downloaded data from Terror Freezer 5.7.25"));
    screen->txtServerName->setText(QStringLiteral("Error LED rack"));
    Save();
    EXPECT_EQ(Rows(names), QStringList(QStringLiteral("ServerName=Error LED rack|Enabled=1")));
    EXPECT_EQ(device->pages[2].mid(8, 20), QByteArray("Error LED rack      "));
    EXPECT_TRUE(Messages().isEmpty());

    // "ERROR" beyond the name and the address is the device's own.
    device->pages[2].replace(49, 5, "ERROR");
    Edit(2);
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("There was an error downloading data from Error LED rack"));
    Save();
    EXPECT_EQ(Rows(names), QStringList(QStringLiteral("ServerName=Error LED rack|Enabled=0")));
}

TEST_F(ServerFrameTest, SaveWritesTheNamePageOfTheFamily)
{
    for (const qint16 family : {5, 3}) {
        const auto device = Device(family, 4, 25);
        const int page = family == 3 ? 1 : 2;
        const int other = 3 - page;
        device->pages[page].replace(4, 4, "\x11\x12\x13\x14");
        device->pages[page].replace(49, 11, "untouched!!");
        const QByteArray read = device->pages[page];
        const QByteArray otherPage = device->pages[other];
        Open();
        NewServer(QStringLiteral("Caf\u00e9 cold room number 7AB"), device->Address());
        screen->cmboUnits->setCurrentIndex(1);
        Save();

        const QByteArray written = device->pages[page];
        EXPECT_EQ(written.left(8), read.left(8));
        EXPECT_EQ(written.mid(8, 20), QByteArray("Caf\xe9 cold room numbe"));
        EXPECT_EQ(written.at(28), 'C');
        EXPECT_EQ(written.mid(29, 20), device->Address().toLatin1().leftJustified(20, ' '));
        EXPECT_EQ(written.mid(49), QByteArray("untouched!!"));
        EXPECT_EQ(device->pages[other], otherPage);
        EXPECT_EQ(
            Rows(QStringLiteral("SELECT ServerName FROM tblServers WHERE ServerIPAddress = '") +
                 device->Address() + QLatin1Char('\'')),
            QStringList(QStringLiteral("ServerName=Caf\u00e9 cold room number 7AB")));
        screen.reset();
    }
}

struct LoadCase {
    const char *name;
    QByteArray pageName;
    char unit;
    bool answers;
    FakeDevice::Behaviour pageBehaviour;
    const char *shownName;
    int unitIndex;
    const char *model;
    const char *label;
    bool red;
};

void PrintTo(const LoadCase &c, std::ostream *out)
{
    *out << c.name;
}

class LoadServer : public ServerFrameTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadServer, FillsTheFrameFromTheDatabaseAndTheDevice)
{
    const LoadCase &c = GetParam();
    const auto device = Device(5, 7, 25, c.pageName);
    device->pages[2][28] = c.unit;
    device->SetKnob(kPage2, {c.pageBehaviour});
    const QString ip = c.answers ? device->Address() : UnusedLoopbackAddress();
    Add(QStringLiteral(" Stored "), ip, -1, QStringLiteral("a@x.org,b@y.org,"));
    Open();
    // A page that was not read leaves the unit box as it was.
    const bool pageRead = c.answers && c.pageBehaviour == kNormal;
    screen->cmboUnits->setCurrentIndex(pageRead ? 1 - c.unitIndex : c.unitIndex);
    Edit(2);

    EXPECT_TRUE(screen->frmSetup0->isVisible());
    EXPECT_EQ(screen->frmSetup0->title(), QStringLiteral("Edit:  Stored "));
    EXPECT_EQ(screen->txtServerName->text(), QString::fromUtf8(c.shownName));
    EXPECT_EQ(screen->cmboUnits->currentIndex(), c.unitIndex);
    EXPECT_EQ(screen->txtModel->text(), QString::fromUtf8(c.model));
    EXPECT_EQ(screen->txtServerIPAddress->text(), ip);
    EXPECT_EQ(screen->txtUserPassword->text(), QStringLiteral("pw"));
    EXPECT_EQ(screen->lstEmailAddr->count(), 2);
    EXPECT_EQ(screen->lblServerError->text(), QString::fromUtf8(c.label));
    EXPECT_EQ(TextColour(screen->lblServerError), c.red ? 0xFF0000u : 0u);
    EXPECT_TRUE(Messages().isEmpty());
}

constexpr const char *kDialer = "Model QRB-RK710-7: ZARVOPHONE Alarm Dialer";

INSTANTIATE_TEST_SUITE_P(
    ServerFrame, LoadServer,
    ::testing::Values(
        LoadCase{"TrimmedNameCelsius", "  Cold room", 'C', true, kNormal, "Cold room", 1, kDialer,
                 "Successfully downloaded data from Cold room 5.7.25", false},
        LoadCase{"LowerCaseC", "Lab", 'c', true, kNormal, "Lab", 0, kDialer,
                 "Successfully downloaded data from Lab 5.7.25", false},
        LoadCase{"BlankUnit", "Lab", ' ', true, kNormal, "Lab", 0, kDialer,
                 "Successfully downloaded data from Lab 5.7.25", false},
        LoadCase{"NeverWrittenName", QByteArray(20, '\0'), 'F', true, kNormal, "", 0, kDialer,
                 "Successfully downloaded data from  5.7.25", false},
        LoadCase{"PageBusy", "Lab", 'F', true, FakeDevice::Behaviour::Busy, "Stored", 1, kDialer,
                 "Stored is currently on the phone.  Please wait and try again later.", true},
        LoadCase{"SilentDevice", "Lab", 'F', false, kNormal, "Stored", 1, "stored model",
                 "There was an error downloading data from Stored", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ServerFrameTest, EditServerWithoutASelectedServer)
{
    Open();
    screen->mnuEditServer->trigger();
    EXPECT_EQ(Messages(),
              QStringList(QStringLiteral("Please select a server from the list to edit")));
    Click(Node(1));
    screen->mnuEditServer->trigger();
    EXPECT_EQ(Messages().size(), 1);
    EXPECT_FALSE(screen->frmSetup0->isVisible());
}

TEST_F(ServerFrameTest, AnAddedServerIsSelectedByItsNewNumber)
{
    // One after the other: the first server of an empty database, one whose name sorts
    // between two others, one whose name sorts after every other.
    const struct {
        const char *name;
        QList<const char *> storedBefore;
        int node; // of the new server in the rebuilt tree
    } rows[] = {{"First", {}, 2}, {"Bravo", {"Alpha", "Mike"}, 3}, {"Zulu", {}, 6}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QString::fromLatin1(row.name);
        for (const char *stored : row.storedBefore)
            Add(QString::fromLatin1(stored), UnusedLoopbackAddress());
        Open();
        screen->cmboUnits->setCurrentIndex(1);
        screen->mnuAdd->trigger();
        screen->lblServerError->setText(QStringLiteral("the last server's result"));
        NewServer(name, UnusedLoopbackAddress(), false);
        Save();
        EXPECT_EQ(screen->ServerTree->currentItem(), Node(row.node));
        EXPECT_EQ(screen->CurrentServerID(), LastId(QStringLiteral("tblServers")));
        EXPECT_TRUE(Node(row.node)->text(0).startsWith(name + u' '));
        // The frame now edits the new server: a corrected address saved again updates the
        // one row.
        EXPECT_EQ(screen->frmSetup0->title(), QStringLiteral("Edit: ") + name);
        EXPECT_TRUE(screen->lblServerError->isVisible());
        EXPECT_EQ(screen->lblServerError->text(), QString());
        const auto device = Device();
        screen->txtServerIPAddress->setText(device->Address());
        screen->chkEnable->setChecked(true);
        Save();
        EXPECT_EQ(Rows(QStringLiteral("SELECT ServerName, ServerIPAddress, Enabled FROM tblServers "
                                      "WHERE ServerName = '") +
                       name + u'\''),
                  QStringList(QStringLiteral("ServerName=") + name +
                              QStringLiteral("|ServerIPAddress=") + device->Address() +
                              QStringLiteral("|Enabled=1")));
        EXPECT_TRUE(Messages().isEmpty());
    }
    NewServer(QStringLiteral("Able"), UnusedLoopbackAddress(), false);
    Save();
    EXPECT_EQ(screen->ServerTree->currentItem(), Node(2));
    EXPECT_EQ(screen->CurrentServerID(), LastId(QStringLiteral("tblServers")));
}

class DeleteServerTest : public ServerFrameTest {
protected:
    void SetUp() override
    {
        ServerFrameTest::SetUp();
        for (const char *name : {"Alpha", "Bravo"}) {
            const qint32 id = Add(QString::fromLatin1(name), UnusedLoopbackAddress());
            for (qint16 port : {1, 2})
                ASSERT_TRUE(SaveSensorRecord(id, QStringLiteral("S"), port, {},
                                             QStringLiteral("Temperature"), {}, {}, {}));
        }
        Open();
    }

    QString Counts() const
    {
        return Rows(QStringLiteral("SELECT (SELECT COUNT(*) FROM tblServers) AS servers,"
                                   " (SELECT COUNT(*) FROM tblSensors) AS sensors"))
            .value(0);
    }

    QStringList Delete(int node)
    {
        if (node)
            Click(Node(node));
        Answer(answers);
        screen->mnuDeleteServerPopUp->trigger();
        return Messages();
    }

    QList<Prompt::Answer> answers;
};

TEST_F(DeleteServerTest, OkDeletesTheServerAndItsSensorsCancelKeepsThem)
{
    answers = {Prompt::Answer::Cancel};
    const QString text = Node(2)->text(0);
    EXPECT_EQ(Delete(2), QStringList({QStringLiteral("Delete ") + text + QLatin1Char('?'),
                                      QStringLiteral("Server has not been deleted")}));
    EXPECT_EQ(prompt->Messages().first().title, QStringLiteral("Delete Server?"));
    EXPECT_EQ(prompt->Messages().first().buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(Counts(), QStringLiteral("servers=2|sensors=4"));

    answers = {Prompt::Answer::Ok};
    EXPECT_EQ(Delete(2), QStringList({QStringLiteral("Delete ") + text + QLatin1Char('?'),
                                      QStringLiteral("Server has been deleted")}));
    EXPECT_EQ(Counts(), QStringLiteral("servers=1|sensors=2"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT ServerName FROM tblServers")),
              QStringList(QStringLiteral("ServerName=Bravo")));
    EXPECT_EQ(NodeTexts().size(), 2);

    EXPECT_EQ(Delete(1), QStringList(QStringLiteral("Please select a server")));
    screen->ServerTree->clearSelection();
    EXPECT_EQ(Delete(0), QStringList(QStringLiteral("Please select a server")));
    EXPECT_EQ(Counts(), QStringLiteral("servers=1|sensors=2"));
}

TEST_F(DeleteServerTest, AFailedDeleteSaysSoAndLeavesBothTablesWhole)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("guard"));
        db.setDatabaseName(File(QStringLiteral("zarvo.mdb")));
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(
            QSqlQuery(db).exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON tblServers "
                                              "BEGIN SELECT RAISE(ABORT, 'kept'); END")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("guard"));
    answers = {Prompt::Answer::Ok};
    const QStringList shown = Delete(2);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown.at(1).startsWith(QStringLiteral("Error in DeleteServer is ")));
    EXPECT_TRUE(shown.at(1).contains(QStringLiteral("kept")));
    EXPECT_EQ(Counts(), QStringLiteral("servers=2|sensors=4"));
}

} // namespace
