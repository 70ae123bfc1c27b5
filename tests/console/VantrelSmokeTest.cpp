#include "MainWindowFixture.h"

#include "GeneralDate.h"
#include "RecordLayouts.h"

using VantrelSmoke = MainWindowFixture;

// The station as the program starts it, with its real dialogs and pop-up: a device on
// loopback, one cycle from the poll clock, then a close through the guard.
TEST_F(VantrelSmoke, PollsADeviceFromThePollClockAndClosesThroughTheGuard)
{
    NewWindow(true);
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    ASSERT_TRUE(AddServer(QStringLiteral("Kitchen"), QStringLiteral("RK718"), device.Address(), {},
                          1, {}, {}, 1));
    // An RK718 reads temperature on its even ports and humidity on its odd ones.
    const QStringList names =
        Strings({"Freezer", "Freezer humidity", "Cold room", "Cold room humidity"});
    const qint16 readings[] = {4, 38, 41, 55};
    for (qint16 port = 0; port < 4; ++port) {
        device.channels[port].reading = readings[port];
        ASSERT_TRUE(SaveSensorRecord(1, names[port], port, {}, QStringLiteral("Temperature"),
                                     QStringLiteral("90"), QStringLiteral("0"),
                                     QStringLiteral("0")));
    }
    WriteSettings(FastPolling);
    const QDateTime start(QDate(2026, 3, 2), QTime(10, 0));
    Clock::SetFixed(start);

    Load();
    const QString last = QStringLiteral("Communication Time: 0 seconds");
    ASSERT_TRUE(QTest::qWaitFor([&] { return BoardLines().contains(last); }, 10000));
    EXPECT_EQ(
        BoardLines(),
        QStringList({QStringLiteral("Backup copy of log files stored to: "),
                     QStringLiteral("Update Rate 5 seconds"), QStringLiteral("Connection closed"),
                     QStringLiteral("Last download data at: ") + GeneralDateText(start),
                     QStringLiteral("Communication with server Kitchen at IP address ") +
                         device.Address() + QStringLiteral(": OK"),
                     last}));
    EXPECT_EQ(GridRows(*window->gridServerStatus),
              Strings({"Kitchen|Freezer|4|°F|Normal|1", "Kitchen|Freezer humidity|38|%RH|Normal|2",
                       "Kitchen|Cold room|41|°F|Normal|3",
                       "Kitchen|Cold room humidity|55|%RH|Normal|4"}));
    EXPECT_TRUE(QFile::exists(InstantFileName(Folder(), 1, start.date())));

    // Two more cycles five minutes apart, the cold room warming and then out of its
    // limits; the first is caught on screen while it waits for the device.
    FakeDevice::Knob late;
    late.delayMs = 300;
    late.times = 1;
    device.SetKnob(DeviceCommand::Identify(), late);
    bool shot = false;
    QTimer::singleShot(150, window.get(),
                       [&] { shot = SaveScreenshot(*window, "main-window-during-cycle.png"); });
    Clock::SetFixed(start.addSecs(300));
    device.channels[2].reading = 47;
    window->tmrInterupt_Timer();
    EXPECT_TRUE(shot);
    Clock::SetFixed(start.addSecs(600));
    device.channels[2] = {95, 0, 3};
    device.channels[0].reading = 6;
    window->tmrInterupt_Timer();
    window->mnuTrending->trigger();
    EXPECT_EQ(window->XYChart4->LineCount(), 4);
    EXPECT_TRUE(SaveScreenshot(*window, "trend-after-three-cycles.png"));

    Answer({Prompt::Answer::Yes});
    EXPECT_TRUE(window->close());
    EXPECT_EQ(prompt->Texts().size(), 1);
    EXPECT_EQ(quits, 1);
}
