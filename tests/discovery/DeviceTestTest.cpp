#include "DiscoveryFixture.h"
#include "FakeDevice.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

using Behaviour = FakeDevice::Behaviour;

// The test asks first; No (or no row) asks for the address, which is then tested.
TEST_F(DiscoveryTest, DeviceTestReportsModelOrFailure)
{
    const QString question =
        u"Test This Device?: Test Communication to the Selected Zarvo Device?"_s;
    const QString ask = u"IP Address: Enter the IP Address of the device you would like to test"_s;
    const struct {
        qint16 family, subModel;
        Behaviour behaviour;
        bool listening;
        QStringList messages; // after the question and the address, "%1" for the address
        QString debug;
    } rows[] = {
        {5,
         7,
         Behaviour::Normal,
         true,
         {u"Successfully communicated with IP address: %1  Model: RK710- 5 rev 23"_s},
         u"Successfully communicated with %1"_s},
        {3,
         6,
         Behaviour::Split,
         true,
         {u"Successfully communicated with IP address: %1  Model: Finch 416 rev 23"_s},
         u"Successfully communicated with %1"_s},
        {qint16(0x8005),
         7,
         Behaviour::Normal,
         true,
         {u"Successfully communicated with IP address: %1  Model: RK710- -32763 rev 23"_s},
         u"Successfully communicated with %1"_s},
        {5,
         7,
         Behaviour::Long,
         true,
         {u"Error reading from %1"_s},
         u"Error reading from IP address: %1"_s},
        {5,
         7,
         Behaviour::WrongEcho,
         true,
         {u"Error reading from %1"_s},
         u"Error reading from IP address: %1"_s},
        {5,
         7,
         Behaviour::Normal,
         false,
         {u"Connection refused"_s, u"Reading Error: Could Not Open Socket Connection"_s,
          u"Error reading from %1"_s},
         u"Error reading from IP address: %1"_s},
    };
    for (const auto &row : rows) {
        FakeDevice device;
        device.family = row.family;
        device.subModel = row.subModel;
        device.revision = 23;
        FakeDevice::Knob knob;
        knob.behaviour = row.behaviour;
        device.SetKnob(DeviceCommand::Identify(), knob);
        const QString address =
            row.listening && device.Listen() ? device.Address() : UnusedLoopbackAddress();
        prompt.Queue(Prompt::Answer::No);
        prompt.QueueText(address);
        QStringList expected{question, ask};
        for (const QString &message : row.messages)
            expected << u"QRB IP Setup: "_s + QString(message).replace(u"%1"_s, address);
        EXPECT_EQ(Trigger(window->mnuTestCommunications), expected);
        EXPECT_EQ(window->txtDebug->text(), row.debug.arg(address));
    }

    // A device whose queue of connections is full never answers: the wait runs out quietly.
    QTcpServer full;
    full.setListenBacklogSize(0);
    ASSERT_TRUE(full.listen(NextFakeAddress(), kDevicePort));
    full.pauseAccepting();
    QTcpSocket queued;
    queued.connectToHost(full.serverAddress(), kDevicePort);
    ASSERT_TRUE(queued.waitForConnected());
    const QString address = full.serverAddress().toString();
    EXPECT_EQ(Shown([&] { window->TestDevice(address); }),
              QStringList({u"QRB IP Setup: Reading Error: Could Not Open Socket Connection"_s,
                           u"QRB IP Setup: Error reading from "_s + address}));
}

TEST_F(DiscoveryTest, DeviceTestOfTheChosenRowOrATypedAddress)
{
    const auto modules = Modules(1);
    FakeDevice device;
    ASSERT_TRUE(device.Listen(QHostAddress(modules[0]->Address())));
    FakeDevice other;
    ASSERT_TRUE(other.Listen());
    other.family = 7;
    Click(window->btnFindFinchs);
    ClickCell(0, 1);
    EXPECT_EQ(Trigger(window->mnuTestCommunications).value(1),
              u"QRB IP Setup: Successfully communicated with IP address: "_s + device.Address() +
                  u"  Model: RK710- 5 rev 25"_s);
    prompt.Queue(Prompt::Answer::No);
    prompt.QueueText(other.Address());
    EXPECT_TRUE(Trigger(window->mnuTestCommunications).value(2).endsWith(u"RK710- 7 rev 25"_s));
    prompt.Queue(Prompt::Answer::No);
    EXPECT_EQ(Trigger(window->mnuTestCommunications).size(), 2); // cancelled at the address
    EXPECT_EQ(device.Requests().size() + other.Requests().size(), 2);
}

} // namespace
