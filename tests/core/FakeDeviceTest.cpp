#include "FakeDevice.h"
#include "AnsiText.h"
#include "DeviceCommands.h"
#include "DeviceLinkFixture.h"
#include "DeviceTransport.h"

// The fake device's own state behind each command, reached through the real transport.
class FakeDeviceTest : public DeviceLinkFixture {
protected:
    void SetUp() override
    {
        DeviceLinkFixture::SetUp();
        ASSERT_TRUE(device.Listen());
    }
    QByteArray Ask(const QByteArray &request, int expectedLength = kFrameLength)
    {
        QByteArray reply;
        const ProgressForm progress =
            expectedLength > kFrameLength ? ProgressForm::TreeConfiguration : ProgressForm::None;
        EXPECT_TRUE(ReadFromKV(device.Address(), kDevicePort, request, reply, expectedLength,
                               progress, false))
            << request.left(4).toHex().toStdString();
        return reply;
    }

    FakeDevice device;
};

TEST_F(FakeDeviceTest, StoredPagesClockAndCredentialsReadBack)
{
    QByteArray page = Ask(PadWithNulls(DeviceCommand::ReadPage(2)));
    ASSERT_EQ(page, PadWithNulls(DeviceCommand::ReadPage(2)));
    QByteArray store = DeviceCommand::StorePage() + page.mid(3);
    store.replace(8, 20, FixedAnsi(QStringLiteral("Cold Room"), 20));
    store[28] = 'C';
    EXPECT_EQ(Ask(store), store);
    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::ReadPage(2))).mid(3), store.mid(3));
    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::ReadPage(3))),
              PadWithNulls(DeviceCommand::ReadPage(3)));

    const QByteArray setClock =
        PadWithNulls(DeviceCommand::StoreClock() + QByteArray::fromHex("00076303010316") + '\x0F');
    EXPECT_EQ(Ask(setClock), setClock);
    device.dataLog = FakeDevice::DataLogRecords(3, device.logRecordSize);
    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::ReadClock())),
              PadWithNulls(DeviceCommand::ReadClock() + QByteArray::fromHex("00076303010316"
                                                                            "0F"
                                                                            "0003")));

    const QByteArray credentials = Ask(PadWithNulls(DeviceCommand::ReadCredentials()));
    EXPECT_EQ(credentials.mid(8, 20), FixedAnsi(QStringLiteral("admin"), 20));
    const QByteArray newCredentials = DeviceCommand::StoreCredentials() + credentials.mid(4);
    EXPECT_EQ(Ask(newCredentials), newCredentials);

    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::FactoryDefaults())),
              PadWithNulls(DeviceCommand::FactoryDefaults()));
    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::ReadPage(2))),
              PadWithNulls(DeviceCommand::ReadPage(2)));
}

TEST_F(FakeDeviceTest, CurrentDataAndLogsComeFromTheDeviceState)
{
    device.family = 6;
    device.channels[0] = {725, 12, 3};
    device.channels[9] = {-999, 65535, 0};
    device.battery = 36;
    device.tenths = true;
    device.unitLetter = 'C';
    const QByteArray data = Ask(PadWithNulls(DeviceCommand::ReadCurrentData()));
    EXPECT_EQ(data.mid(4, 5), QByteArray::fromHex("02D5000C03"));
    EXPECT_EQ(data.mid(49, 5), QByteArray::fromHex("FC19FFFF00"));
    EXPECT_EQ(data.mid(57), QByteArray::fromHex("240A") + 'C');

    const QByteArray log = FakeDevice::DataLogRecords(10, 23);
    device.dataLog = log;
    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::DownloadDataLog() + '\x01'), 230), log);
    EXPECT_TRUE(device.dataLog.isEmpty()); // the reset flag emptied the log
    EXPECT_EQ(FakeDevice::DataLogRecords(2, 11).left(11),
              QByteArray::fromHex("30450115061400C800D205"));

    EXPECT_EQ(Ask(PadWithNulls(DeviceCommand::DownloadHiLo()), 12775).left(7),
              QByteArray::fromHex("010114FA00ECFF"));
}
