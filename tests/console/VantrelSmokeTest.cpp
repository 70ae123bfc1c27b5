#include "MainWindowFixture.h"

#include "Clock.h"
#include "DataGrid.h"
#include "DeviceCommands.h"
#include "EventsFrame.h"
#include "FakeDevice.h"
#include "GeneralDate.h"
#include "RecordLayouts.h"
#include "ServerDatabase.h"
#include "StatusGridTable.h"
#include "TrendChart.h"

#include <QDir>
#include <QFile>
#include <QLineSeries>
#include <QListWidget>

namespace {

QString ScreenshotFile(const QString &name)
{
    const QString folder =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

struct Sensor {
    const char *name;
    qint16 port;
    qint16 reading;
};

// An RK718 reads temperature on its even ports and humidity on its odd ones.
const Sensor kSensors[] = {
    {"Freezer", 0, 4},
    {"Freezer humidity", 1, 38},
    {"Cold room", 2, 41},
    {"Cold room humidity", 3, 55},
};

} // namespace

// The station as the program starts it: its own window with the real dialogs and pop-up,
// a device on loopback, one cycle from the poll clock, then a close through the guard.
class VantrelSmoke : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        window.reset();
        window = std::make_unique<frmMain>();
        window->QuitProgram = [this] { ++quits; };
    }

    const QDateTime start{QDate(2026, 3, 2), QTime(10, 0)};
};

TEST_F(VantrelSmoke, PollsADeviceFromThePollClockAndClosesThroughTheGuard)
{
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    for (const Sensor &sensor : kSensors)
        device.channels[sensor.port] = {sensor.reading, 0, 0};
    ASSERT_TRUE(AddServer(QStringLiteral("Kitchen"), QStringLiteral("RK718"), device.Address(), {},
                          1, {}, {}, 1));
    const qint32 server = Rows(QStringLiteral("SELECT IDNum FROM tblServers"))
                              .first()
                              .section(QLatin1Char('='), 1)
                              .toInt();
    for (const Sensor &sensor : kSensors)
        ASSERT_TRUE(SaveSensorRecord(server, QString::fromLatin1(sensor.name), sensor.port, {},
                                     QStringLiteral("Temperature"), QStringLiteral("90"),
                                     QStringLiteral("0"), QStringLiteral("0")));
    WriteSettings([](ConfigRecord &config) {
        config.UpdateRate = 5;
        config.CommunicationRetry = 1;
        config.TCPTimeOut = 1;
        config.EnableTrending = 1;
    });
    Clock::SetFixed(start);

    Load();
    EXPECT_EQ(window->TickLimit(), 1);
    ASSERT_TRUE(WaitUntil(
        [this] {
            return !window->lstStatus
                        ->findItems(QStringLiteral("Communication Time: "), Qt::MatchStartsWith)
                        .isEmpty();
        },
        10000));

    const StatusGridTable &grid = *window->gridServerStatus;
    ASSERT_EQ(grid.RowCount(), 5);
    for (int row = 1; row <= 4; ++row) {
        const Sensor &sensor = kSensors[row - 1];
        const bool humidity = sensor.port % 2 == 1;
        EXPECT_EQ(grid.Cell(row, StatusColumn::Device), QStringLiteral("Kitchen"));
        EXPECT_EQ(grid.Cell(row, StatusColumn::Sensor), QString::fromLatin1(sensor.name));
        EXPECT_EQ(grid.Cell(row, StatusColumn::Reading), QString::number(sensor.reading));
        EXPECT_EQ(grid.Cell(row, StatusColumn::Units),
                  humidity ? QStringLiteral("%RH") : QStringLiteral("\u00B0F"));
        EXPECT_EQ(grid.Cell(row, StatusColumn::Status), QStringLiteral("Normal"));
        EXPECT_EQ(grid.CellBackColour(row, StatusColumn::Status), kColourGreen);
        const qint32 sensorId = grid.Cell(row, StatusColumn::SensorID).toInt();
        EXPECT_TRUE(QFile::exists(InstantFileName(Folder(), sensorId, start.date())));
        EXPECT_TRUE(QFile::exists(SensorHeaderFileName(Folder(), sensorId)));
    }
    QStringList lines;
    for (int i = 0; i < window->LineCount(); ++i)
        lines << window->Line(i);
    EXPECT_TRUE(lines.contains(QStringLiteral("Update Rate 5 seconds")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Communication with server Kitchen at IP address ") +
                               device.Address() + QStringLiteral(": OK")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Last download data at: ") + GeneralDateText(start)));
    EXPECT_TRUE(lines.contains(QStringLiteral("Communication Time: 0 seconds")));
    EXPECT_EQ(window->XYChart4->LineCount(), 4);

    // Two more cycles of the poll clock, five minutes apart, the cold room warming up and
    // out of its limits at the last; the first of them is caught on screen while it waits.
    FakeDevice::Knob late;
    late.delayMs = 300;
    late.times = 1;
    device.SetKnob(DeviceCommand::Identify(), late);
    QImage duringCycle;
    QTimer::singleShot(150, window.get(), [&] { duringCycle = window->grab().toImage(); });
    Clock::SetFixed(start.addSecs(300));
    device.channels[2].reading = 47;
    window->tmrInterupt_Timer();
    ASSERT_FALSE(duringCycle.isNull());
    EXPECT_TRUE(duringCycle.save(ScreenshotFile(QStringLiteral("main-window-during-cycle.png"))));

    Clock::SetFixed(start.addSecs(600));
    device.channels[2] = {95, 0, 3};
    device.channels[0].reading = 6;
    window->tmrInterupt_Timer();
    EXPECT_EQ(grid.Cell(3, StatusColumn::Status), QStringLiteral("ALARM: High Limit"));

    window->mnuTrending->trigger();
    for (int line = 0; line < window->XYChart4->LineCount(); ++line) {
        int points = 0;
        for (const QLineSeries *segment : window->XYChart4->Segments(line))
            points += segment->count();
        EXPECT_EQ(points, 3) << "line " << line;
    }
    EXPECT_TRUE(
        window->grab().save(ScreenshotFile(QStringLiteral("trend-after-three-cycles.png"))));
    window->mnuAlarmFrame->trigger();
    EXPECT_EQ(window->frmErrors->dbgridAlarms->RowCount(), 1);
    EXPECT_TRUE(window->grab().save(ScreenshotFile(QStringLiteral("events-view.png"))));
    window->mnuStatusFrame->trigger();
    window->btnMax_Click();
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(ScreenshotFile(QStringLiteral("split-screen.png"))));

    Answer({Prompt::Answer::Yes});
    EXPECT_TRUE(window->close());
    ASSERT_EQ(prompt->Messages().size(), 1);
    EXPECT_EQ(prompt->Messages().first().title, QStringLiteral("Close Zarvo Vantrel?"));
    EXPECT_FALSE(LinkState().Running);
    EXPECT_FALSE(window->tmrInterupt->isActive());
    EXPECT_EQ(quits, 1);
}
