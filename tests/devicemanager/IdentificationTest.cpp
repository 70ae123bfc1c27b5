#include "DeviceManagerFixture.h"

#include "ReplyDecoding.h"

#include <QTableView>

namespace {

using Behaviour = FakeDevice::Behaviour;
const QByteArray kIdentify = QByteArray::fromHex("2ACDDCBA");
const QByteArray kReset = QByteArray::fromHex("DEADDEAD");

class IdentificationTest : public DeviceManagerFixture {
protected:
    // Lab at the device (or at a refused address), loaded in the server frame.
    void LoadLab(FakeDevice *device)
    {
        id = Add(QStringLiteral("Lab"), device ? device->Address() : UnusedLoopbackAddress());
        Open();
        Edit(2);
        Answer({});
    }

    struct Opened {
        PanelForm form = PanelForm::None;
        QString first;
        qint32 databaseId = 0;
    };
    // Both panel seams record what they are given; each opening adds a server row, so a
    // rebuilt tree shows one node more.
    void RecordPanels()
    {
        screen->OpenModelPanel = [this](PanelForm form, const QString &ip, qint32 databaseId) {
            opened.append({form, ip, databaseId});
            Add(QStringLiteral("Zulu"), UnusedLoopbackAddress());
        };
        screen->OpenPhoneParameters = [this](const QString &serverName, const QString &ip) {
            opened.append({PanelForm::None, serverName + QLatin1Char('|') + ip, 0});
            Add(QStringLiteral("Zulu"), UnusedLoopbackAddress());
        };
    }

    qint32 id = 0;
    QList<Opened> opened;
};

TEST_F(IdentificationTest, TestCommunicationReportsWhatArrived)
{
    struct Case {
        const char *name;
        Behaviour identify;
        Behaviour page;
        const char *label;
        bool red;
        const char *message;
        const char *nameAfter;
        int unitAfter;
    } cases[] = {
        {"Silent", Behaviour::Silent, Behaviour::Normal,
         "Failed to communicate with IP address {ip}  Sent 60 Received 0", true,
         "Error reading from IP address {ip}", "Edited", 1},
        {"WrongEcho", Behaviour::WrongEcho, Behaviour::Normal,
         "Failed to communicate with IP address {ip}  Sent 60 Received 60", true,
         "Error reading from IP address {ip}", "Edited", 1},
        {"Success", Behaviour::Normal, Behaviour::Normal, "Successfully communicated with Edited",
         false,
         "Successfully communicated with Cold room 6.6.30 at IP address {ip}  Sent 60 "
         "Received 60",
         "Cold room", 1},
        {"PageUnread", Behaviour::Normal, Behaviour::Silent,
         "Successfully communicated with Edited", false,
         "Successfully communicated with  6.6.30 at IP address {ip}  Sent 60 Received 0", "", 0},
    };
    const auto device = Device(5, 7, 25, "Cold room");
    device->pages[2][28] = 'C';
    LoadLab(device.get());
    // The test identifies the device afresh.
    device->family = 6;
    device->subModel = 6;
    device->revision = 30;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto fill = [&](const char *text) {
            return QString::fromUtf8(text).replace(QStringLiteral("{ip}"), device->Address());
        };
        device->SetKnob(kIdentify, {c.identify, 0, 30, 50, "Error", 1});
        device->SetKnob(QByteArray::fromHex("AABBCC02"), {c.page, 0, 30, 50, "Error", 1});
        screen->txtServerName->setText(QStringLiteral("Edited"));
        screen->cmboUnits->setCurrentIndex(1);
        Answer({});
        QTest::mouseClick(screen->btnTestCommunication, Qt::LeftButton);
        EXPECT_EQ(screen->lblServerError->text(), fill(c.label));
        EXPECT_EQ(TextColour(screen->lblServerError), c.red ? 0xFF0000u : 0u);
        EXPECT_EQ(Messages(), QStringList(fill(c.message)));
        EXPECT_EQ(screen->txtServerName->text(), QString::fromUtf8(c.nameAfter));
        EXPECT_EQ(screen->cmboUnits->currentIndex(), c.unitAfter);
        EXPECT_EQ(screen->btnTestCommunication->text(), QStringLiteral("Test Communications"));
    }
    EXPECT_EQ(screen->txtModel->text(), QStringLiteral("Model QRB-RK816E: Inputvane"));
    EXPECT_FALSE(screen->cmboUnits->isEnabled());
}

TEST_F(IdentificationTest, FactoryResetAsksThenReportsOneOutcome)
{
    struct Case {
        const char *name;
        Prompt::Answer answer;
        Behaviour behaviour;
        const char *outcome;
        int requests;
    } cases[] = {
        {"No", Prompt::Answer::No, Behaviour::Normal, "Lab was not reset to factory defaults.", 0},
        {"Echoed", Prompt::Answer::Yes, Behaviour::Normal,
         "Successfully set Lab user page to factory defaults", 1},
        {"Busy", Prompt::Answer::Yes, Behaviour::Busy,
         "Lab is currently busy on the phone. The server could not be reset to factory defaults. "
         "Please wait and try again.",
         1},
        {"Silent", Prompt::Answer::Yes, Behaviour::Silent,
         "Error resetting Lab to factory defaults", 1},
    };
    const auto device = Device();
    LoadLab(device.get());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        device->pages[5][10] = 'x';
        const auto before = device->Requests().size();
        device->SetKnob(kReset, {c.behaviour});
        Answer({c.answer});
        QTest::mouseClick(screen->btnRestoreFactoryDefaults, Qt::LeftButton);
        ASSERT_EQ(prompt->Messages().size(), 2);
        const Prompt::Message question = prompt->Messages().first();
        EXPECT_EQ(question.text, QStringLiteral("Reset 'Lab' to factory default values?"));
        EXPECT_EQ(question.buttons, Prompt::Buttons::YesNo);
        EXPECT_EQ(question.icon, Prompt::Icon::Critical);
        EXPECT_EQ(Messages().last(), QString::fromUtf8(c.outcome));
        EXPECT_EQ(device->Requests().size() - before, c.requests);
        EXPECT_EQ(device->pages[5][10] == 'x', c.behaviour != Behaviour::Normal || c.requests == 0);
        EXPECT_EQ(screen->btnRestoreFactoryDefaults->text(),
                  QStringLiteral("Restore Factory Defaults"));
    }
}

TEST_F(IdentificationTest, SensorsOpensThePanelOfTheModelAndRebuildsTheTreeAfter)
{
    const auto device = Device(5, 7, 25);
    LoadLab(device.get());
    RecordPanels();
    // The panel follows the device's identity as Sensors finds it.
    device->subModel = 20;
    screen->mnuEditSensors->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].form, PanelForm::frmRK730);
    EXPECT_EQ(opened[0].first, device->Address());
    EXPECT_EQ(opened[0].databaseId, id);
    EXPECT_EQ(NodeTexts().size(), 3);
    EXPECT_TRUE(Messages().isEmpty());

    // A model without a panel: nothing opens, nothing is said, nothing is rebuilt.
    device->subModel = 30;
    Click(Node(2));
    screen->mnuSensorPopUp->trigger();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_TRUE(Node(2)->font(0).bold());

    device->SetKnob(kIdentify, {Behaviour::WrongEcho});
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(Messages(),
              QStringList(
                  QStringLiteral("There was an error communicating with the server at IP address") +
                  device->Address() + QStringLiteral(".  Please try again.")));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(IdentificationTest, PhoneButtonGetsTheNameInTheBoxAndOnlyForAStoredServer)
{
    const auto device = Device(6, 5, 1);
    LoadLab(device.get());
    RecordPanels();
    ASSERT_TRUE(screen->btnMore->isVisible());
    screen->txtServerName->setText(QStringLiteral("Edited"));
    QTest::mouseClick(screen->btnMore, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].first,
              QStringLiteral("Phone Parameters for server: Edited|") + device->Address());
    EXPECT_EQ(NodeTexts().size(), 3);
    EXPECT_EQ(device->Requests().size(), 3) << "the load's three exchanges, no identification";

    screen->mnuAdd->trigger();
    EXPECT_FALSE(screen->btnMore->isVisible());
    screen->btnMore_Click();
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(IdentificationTest, LoadingAppliesTheModelGates)
{
    struct Case {
        qint16 family, subModel, revision;
        bool dataLog, hiLo, phone;
    } cases[] = {
        {6, 10, 1, true, true, true},
        {5, 7, 23, false, false, false},
        {5, 5, 23, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.family * 100 + c.subModel);
        const auto device = Device(c.family, c.subModel, c.revision);
        LoadLab(device.get());
        screen->ShowLog(ShowHiLoRecords(FakeDevice::HiLoRecords(3)));
        screen->btnExportLog->show();
        Edit(2);
        EXPECT_EQ(screen->frmDateTime->isVisible(), c.dataLog);
        EXPECT_EQ(screen->btnDownloadHiLoReadings->isEnabled(), c.hiLo);
        EXPECT_EQ(screen->btnMore->isVisible(), c.phone);
        if (c.dataLog) {
            EXPECT_EQ(screen->frmDateTime->title(), QStringLiteral("Data Log Parameters for Lab"));
            EXPECT_EQ(screen->gridLog->model()->rowCount(), 0);
            EXPECT_FALSE(screen->btnExportLog->isVisibleTo(screen.get()));
        }
        // A failed identification leaves the gates of the last one.
        device->SetKnob(kIdentify, {Behaviour::WrongEcho});
        Edit(2);
        EXPECT_EQ(screen->frmDateTime->isVisible(), c.dataLog);
        EXPECT_EQ(screen->btnMore->isVisible(), c.phone);
        screen.reset();
        QString error;
        DeleteServerRecords(id, error);
    }
}

} // namespace
