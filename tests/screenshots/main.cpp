// Pictures of the forms for the README: each window brought to a state a user knows, on a
// 1280 x 720 offscreen screen, against fake devices on loopback, then saved as a PNG into
// the folder named on the command line. Built with the tests, never run by them:
//
//     build/bin/screenshots docs
#include "DS1337.h"
#include "DeviceManagerFixture.h"
#include "GraphingTest.h"
#include "PanelTest.h"
#include "SharedLayouts.h"
#include "frmFinch.h"
#include "frmRK816.h"
#include "frmReportWizard.h"

#include <QDir>
#include <QTableView>
#include <QTemporaryFile>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString g_folder;

void Save(QWidget *window, const QString &name)
{
    window->activateWindow();
    QCoreApplication::processEvents();
    const QString path = QDir(g_folder).filePath(name + u".png"_s);
    ASSERT_TRUE(window->grab().save(path)) << path.toStdString();
}

// The record stamp of `when` (minutes to year), as the station sets the device's clock.
QByteArray Stamp(const QDateTime &when)
{
    Clock::SetFixed(when);
    QByteArray registers = PadWithNulls(DeviceCommand::StoreClock());
    EncodeDateTime(registers);
    Clock::SetFixed(std::nullopt);
    return registers.mid(5, 6);
}

struct Sensor {
    const char *name;
    double reading; // degrees, % or 0/1 for a contact
};

const Sensor kColdStore[] = {
    {"Freezer 1", -4.2},      {"Freezer 2", -6.8},  {"Walk-in Cooler", 36.5},
    {"Produce Cooler", 38.9}, {"Dairy Case", 37.4}, {"Loading Dock", 52.3},
    {"Office", 70.6},         {"Humidity", 44.0},
};

} // namespace

// The device manager with an eight-sensor server loaded and its data log downloaded.
class Screens : public DeviceManagerFixture {};

TEST_F(Screens, DeviceManagerWithDownloadedDataLog)
{
    const QDateTime now(QDate(2026, 3, 2), QTime(9, 41));
    auto device = Device(6, 5, 3, "Cold Store");
    device->tenths = true;
    device->clock = QByteArray(1, '\0') + Stamp(now);
    for (int r = 0; r < 48; ++r) {
        device->dataLog += Stamp(now.addSecs(-300 * (48 - r)));
        for (int k = 0; k < 8; ++k) {
            const double wave = std::sin((r + 7 * k) / 6.0) * (k == 7 ? 3 : 0.6);
            const auto tenths = qint16(std::lround((kColdStore[k].reading + wave) * 10));
            device->dataLog += Word(tenths);
        }
        device->dataLog += char(r >= 30 && r < 33 ? 0x05 : 0x07); // the dock door open a while
    }
    const auto add = [&](const QString &name, const QString &ip, const QString &notes) {
        EXPECT_TRUE(AddServer(name, u"Model QRB-RK815E: Coldvane"_s, ip, notes, 1, {}, {}, -1));
        return LastId(u"tblServers"_s);
    };
    const qint32 id = add(u"Cold Store"_s, device->Address(), u"Dock B, beside the compressor"_s);
    for (int k = 0; k < 8; ++k)
        ASSERT_TRUE(SaveSensorRecord(id, QString::fromLatin1(kColdStore[k].name), qint16(k), {},
                                     k == 7 ? u"Humidity"_s : u"Temperature"_s, u"90"_s, u"-20"_s,
                                     u"10"_s));
    add(u"Pharmacy"_s, UnusedLoopbackAddress(), {});
    add(u"Server Room"_s, UnusedLoopbackAddress(), {});
    Open();
    Edit(2);
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    ASSERT_EQ(screen->gridLog->model()->rowCount(), 48);
    ASSERT_TRUE(screen->btnExportLog->isVisibleTo(screen.get()));
    Save(screen.get(), u"device-manager"_s);
}

class Panels : public PanelTest {
protected:
    // Row `row`'s name where the name pages from `firstPage` on hold it, two to a page.
    void Name(int firstPage, int row, const char *name)
    {
        device.pages[firstPage + row / 2].replace(row % 2 == 0 ? 8 : 28, 20,
                                                  QByteArray(name).leftJustified(20, ' ', true));
    }
};

TEST_F(Panels, RK816AfterDownload)
{
    device.family = 6;
    device.subModel = 6;
    device.battery = 128;
    const char *names[] = {"Front Door",    "Back Door",      "Water Leak",  "Smoke Detector",
                           "Generator Run", "UPS on Battery", "Motion Hall", "Freezer Alarm"};
    const int levels[] = {1, 1, 0, 0, 0, 0, 0, 1}; // normally closed or open
    for (int i = 0; i < 8; ++i) {
        Name(3, i, names[i]);
        device.pages[0].replace(RecordByte(i) - 1, 2, Word(levels[i]));
        device.pages[0].replace(RecordByte(i) + 3, 2, Word(i < 2 ? 30 : 5));
        device.channels[i].reading = qint16(i == 1 ? 1 - levels[i] : levels[i]);
    }
    frmRK816 panel;
    Open(panel);
    ASSERT_EQ(Lines(panel), QStringList{u" Download complete"_s});
    Save(&panel, u"rk816-panel"_s);
}

TEST_F(Panels, FinchWithCalibrationOpen)
{
    device.family = 3;
    device.subModel = 5;
    device.tenths = true;
    // Lower and upper limit and delay of both sensors, the doors' delays, the factors.
    const int values[] = {-200, 50, 10, 340, 460, 10, 5, 5, 5, -3};
    for (int k = 0; k < 10; ++k)
        device.pages[0].replace(8 + 2 * k, 2, Word(values[k]));
    device.pages[4].replace(8, 4, QByteArray::fromHex("0078000F"));
    const char *names[] = {"Vaccine Freezer", "Vaccine Fridge", "Freezer Door", "Fridge Door"};
    for (int row = 0; row < 4; ++row)
        Name(2, row, names[row]);
    device.channels[0].reading = -183;
    device.channels[1].reading = 392;
    frmFinch panel;
    Open(panel);
    QTest::mouseClick(panel.btnCal, Qt::LeftButton);
    ASSERT_FALSE(panel.frmCal->isHidden());
    panel.txtActualTemp.at(1)->setText(u"38.6"_s);
    Save(&panel, u"finch-calibration"_s);
}

class Graphing : public GraphingTest {};

TEST_F(Graphing, WizardWithRecordFiles)
{
    const QDateTime from(QDate(2026, 2, 16), QTime(0, 0));
    WriteHeader(3, u"Cold Store"_s, u"Walk-in Cooler"_s);
    WriteReadings(3, from, 14 * 24, 3600, 35.5f, 0.005f);
    WriteHeader(4, u"Cold Store"_s, u"Freezer 1"_s);
    WriteReadings(4, from.addDays(7), 7 * 24, 3600, -5.5f, 0.01f);
    frmReportWizard wizard;
    wizard.show();
    ASSERT_EQ(wizard.cmboSensors->count(), 6); // instant readings in a file per month
    wizard.cmboSensors->setCurrentIndex(0);
    Save(&wizard, u"graphing-wizard"_s);
}

// `screenshots [gtest options] FOLDER`
int main(int argc, char **argv)
{
    // A laptop-sized screen, whatever runs it.
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [{"name": "Screen", "width": 1280, "height": 720,
                                    "logicalDpi": 96, "dpr": 1}]})");
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    app.setApplicationName(u"vantrel"_s); // the temporary program folders' names
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2 || !QDir().mkpath(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: screenshots [gtest options] FOLDER\n");
        return 2;
    }
    g_folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    return RUN_ALL_TESTS();
}
