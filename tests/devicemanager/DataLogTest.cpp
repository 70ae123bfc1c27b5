#include "DeviceManagerFixture.h"

#include "Clock.h"
#include "DS1337.h"
#include "DeviceTransport.h"
#include "ProgramFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTableView>

namespace {

using Behaviour = FakeDevice::Behaviour;
const QByteArray kStoreClock = QByteArray::fromHex("DECADE00");
const QByteArray kReadClock = QByteArray::fromHex("DECADE02");
const QByteArray kDataLog = QByteArray::fromHex("DECADE04");
const QByteArray kHiLo = QByteArray::fromHex("DECADE08");

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QStringList Texts(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromLatin1(text);
    return list;
}

QStringList Column(const LogTable &table, int column)
{
    QStringList cells;
    for (const QStringList &row : table.rows)
        cells << row.value(column);
    return cells;
}

QList<QByteArray> Lines(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_TRUE(lines.takeLast().isEmpty()) << "every line ends in CR LF";
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return lines;
}

TEST(DS1337Test, ClockCodingInAnyLocale)
{
    EXPECT_EQ(ToBCD(0), 0);
    EXPECT_EQ(ToBCD(9), 9);
    EXPECT_EQ(ToBCD(10), 0x10);
    EXPECT_EQ(ToBCD(59), 0x59);

    struct Case {
        const char *name;
        QDateTime now;
        const char *registers; // bytes 5-11
        const char *decoded;
    } cases[] = {
        {"afternoon", {QDate(2016, 3, 1), QTime(15, 7, 42)}, "00076303010316", "3/1/2016 3:07 PM"},
        {"noon", {QDate(2016, 3, 1), QTime(12, 5)}, "00057203010316", "3/1/2016 12:05 PM"},
        {"after midnight",
         {QDate(2016, 3, 1), QTime(0, 20)},
         "00205203010316",
         "3/1/2016 12:20 AM"},
        {"Sunday", {QDate(2016, 3, 6), QTime(9, 0)}, "00004901060316", "3/6/2016 9:00 AM"},
    };
    const QLocale before;
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            Clock::SetFixed(c.now);
            QByteArray request = PadWithNulls(kStoreClock);
            ASSERT_TRUE(EncodeDateTime(request));
            EXPECT_EQ(request.mid(4, 7).toHex(), QByteArray(c.registers).toLower());
            QString text;
            EXPECT_TRUE(DecodeDateTime(request, text, 6));
            EXPECT_EQ(text, QString::fromLatin1(c.decoded));
        }
    }
    QLocale::setDefault(before);
    Clock::SetFixed(std::nullopt);
}

TEST(DS1337Test, DecodingRefusesWhatIsNoMoment)
{
    struct Case {
        const char *name;
        QByteArray bytes; // from position 6
        const char *text;
    } cases[] = {
        {"morning", Hex("304500150614"), "6/15/2014 5:30 AM"},
        {"hour 0 as a 24-hour chip writes it", Hex("204000150614"), "6/15/2014 0:20 AM"},
        {"24-hour mode", Hex("302500150614"), "Reset Time"},
        {"hour 13", Hex("305300150614"), "Reset Time"},
        {"BCD digit above 9", Hex("3A4500150614"), "Reset Time"},
        {"minute 60", Hex("604500150614"), "Reset Time"},
        {"30 February", Hex("304500300214"), "Reset Time"},
        {"short buffer", Hex("3045001506"), "Reset Time"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString text;
        EXPECT_EQ(DecodeDateTime(QByteArray(5, '\0') + c.bytes, text, 6),
                  qstrcmp(c.text, "Reset Time") != 0);
        EXPECT_EQ(text, QString::fromLatin1(c.text));
    }
}

// Records written out by hand: stamp, big-endian readings, status byte.
QByteArray Record(const char *stamp, std::initializer_list<int> readings, int status)
{
    QByteArray record = Hex(stamp);
    for (const int reading : readings)
        record.append(char((reading >> 8) & 0xFF)).append(char(reading & 0xFF));
    return record.append(char(status));
}

TEST(DS1337Test, DataLogRowsAreWholeRecordsInTimeOrder)
{
    const QByteArray ten05 = Record("055003150614", {245, 999}, 0x05);
    const QByteArray nine55 = Record("554903150614", {9990, -4}, 0x02);
    const QByteArray invalid = Record("004000000000", {1000, -999}, 0);
    const QByteArray data = ten05 + invalid + nine55 + Hex("0545031506");

    const LogTable rev4 = ShowTwoSensorLog(data, {3, 4, 4});
    ASSERT_EQ(rev4.rows.size(), 3) << "the partial record at the end is no row";
    EXPECT_EQ(ShowTwoSensorLog(data.left(31), {3, 4, 4}).rows.size(), 2) << "nor are 9 of 11";
    EXPECT_EQ(rev4.headings, Texts({"Record #", "Date/Time", "Sensor 1", "Sensor 2", "Door 1",
                                    "Door 2", "Power", ""}));
    EXPECT_EQ(rev4.widths.last(), 0);
    EXPECT_EQ(Column(rev4, 0), Texts({"3", "1", "2"}));
    EXPECT_EQ(rev4.rows[0], Texts({"3", "6/15/2014 9:55 AM", "9990.0", "-4.0", "Open", "Closed",
                                   "Off", "456141300"}));
    EXPECT_EQ(rev4.rows[1].mid(1, 6),
              Texts({"6/15/2014 10:05 AM", "245.0", "Open", "Closed", "Open", "On"}));
    EXPECT_EQ(rev4.rows[2],
              Texts({"2", "Invalid Date/Time format", "", "", "", "", "", "9999999999999"}));

    const LogTable rev5 = ShowTwoSensorLog(data, {3, 4, 5});
    EXPECT_EQ(Column(rev5, 2), Texts({"Open", "24.5", ""}));
    EXPECT_EQ(Column(rev5, 3), Texts({"-.4", "99.9", ""}));

    const QByteArray internal = Record("054503150614", {10000, -9990, 215, 455}, 0x04);
    const std::optional<LogTable> inside = ShowDataLog(internal, {3, 6, 5});
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->rows[0].mid(2, 7),
              Texts({" N\\C", "Short", "21.5", "45.5", "Open", "Open", "On"}));
    EXPECT_EQ(inside->widths.mid(4, 2), QList<int>({1300, 1200}));

    const QByteArray eight = Record("054503150614", {1, 2, 3, 4, 5, 6, 7, 8}, 0x07);
    for (const DeviceIdentity id : {DeviceIdentity{6, 5, 1}, DeviceIdentity{5, 7, 23}}) {
        const std::optional<LogTable> table = ShowDataLog(eight, id);
        ASSERT_TRUE(table);
        EXPECT_EQ(table->kind, LogKind::EightSensor);
        EXPECT_EQ(table->rows[0].mid(2, 8),
                  Texts({".1", ".2", ".3", ".4", ".5", ".6", ".7", ".8"}));
        EXPECT_EQ(table->widths.last(), 1500) << "the sort key is shown";
    }
    // 12 AM is the day's first hour, 12 PM its thirteenth.
    const LogTable midnight =
        ShowEightSensorLog(Record("307203150614", {}, 0).leftJustified(23, 0) +
                           Record("305203150614", {}, 0).leftJustified(23, 0));
    EXPECT_EQ(Column(midnight, 13), Texts({"456107400", "456150600"}));
    for (const DeviceIdentity id : {DeviceIdentity{5, 7, 22}, DeviceIdentity{3, 8, 5}})
        EXPECT_FALSE(ShowDataLog(eight, id));
}

TEST(DS1337Test, HiLoRecordsStopAtTheFirstEmptyDay)
{
    QByteArray record =
        Hex("010514") + Hex("2C01") + Hex("14FF") + Hex("1027") + Hex("0627") + Hex("F2D8");
    record.append(QByteArray(35 - record.size(), '\0'));
    const LogTable table = ShowHiLoRecords(record + record + Hex("00") + QByteArray(34, '\x01') +
                                           record + record.left(20));
    ASSERT_EQ(table.rows.size(), 5) << "a short last record keeps its row";
    EXPECT_EQ(table.headings.size(), 19);
    EXPECT_EQ(table.headings[17], QStringLiteral("Sensor 8 Low"));
    EXPECT_EQ(table.widths.mid(0, 2), QList<int>({10, 2000}));
    EXPECT_EQ(table.widths[13], 1500);
    EXPECT_EQ(table.rows[0].mid(0, 7),
              Texts({"1", "1/5/2014 ", "30.0", "-23.6", "-", "-", "-999.8"}));
    EXPECT_EQ(table.rows[0][18], QString::number(735 * 86400));
    EXPECT_EQ(table.rows[1][0], QStringLiteral("2"));
    for (int r = 2; r < 5; ++r)
        EXPECT_EQ(table.rows[r].join(QString()), QString()) << r;
}

TEST_F(TempProgramFolder, ExportAppendsTheTableTheGridHolds)
{
    const QByteArray two =
        Record("055003150614", {245, 999}, 0x05) + Record("554903150614", {12, 0}, 0x00);
    const QString path = ProgramFile(QStringLiteral("Lab.csv"));
    const LogTable table = ShowTwoSensorLog(two, {3, 4, 5});
    ASSERT_TRUE(SaveLogRecordsToFile(table, path));
    ASSERT_TRUE(SaveLogRecordsToFile(table, path));
    const QList<QByteArray> lines = Lines(path);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "\"Record Number\",\"Date/Time\",\"Sensor 1\",\"Sensor 2\",\"Door 1\","
                        "\"Door 2\",\"Power\"");
    EXPECT_EQ(lines[1], "1,\"6/15/2014 9:55 AM\",\"1.2\",\".0\",\"Open\",\"Open\",\"Off\"");
    EXPECT_EQ(lines[2], "2,\"6/15/2014 10:05 AM\",\"24.5\",\"99.9\",\"Closed\",\"Open\",\"On\"");
    EXPECT_EQ(lines[3], lines[1]);

    struct Case {
        LogTable table;
        int fields;
        QByteArray header;
    } cases[] = {
        {ShowInternalSensorLog(Record("054503150614", {1, 2, 3, 4}, 0), {3, 6, 5}), 9,
         "\"Internal Humidity %RH\",\"Door 1\""},
        {ShowEightSensorLog(Record("054503150614", {1, 2, 3, 4, 5, 6, 7, 8}, 0)), 13,
         "\"Sensor 8\",\"Door 1\""},
        {ShowHiLoRecords(Hex("010514") + QByteArray(67, '\0')), 18,
         "\"Sensor 8 Hi\",\"Sensor 8 Low\""},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString file = ProgramFile(QString::number(++n) + QStringLiteral(".csv"));
        ASSERT_TRUE(SaveLogRecordsToFile(c.table, file));
        const QList<QByteArray> written = Lines(file);
        ASSERT_EQ(written.size(), 1 + c.table.rows.size());
        EXPECT_TRUE(written[0].contains(c.header)) << written[0].constData();
        for (const QByteArray &line : written)
            EXPECT_EQ(line.count(',') + 1, c.fields) << line.constData();
    }
    EXPECT_TRUE(Lines(ProgramFile(QStringLiteral("3.csv")))[2].startsWith("2,,,"))
        << "an empty cell is nothing between commas";
    EXPECT_FALSE(SaveLogRecordsToFile(table, ProgramFile(QStringLiteral("missing/Lab.csv"))));
}

class DataLogFrameTest : public DeviceManagerFixture {
protected:
    void SetUp() override
    {
        DeviceManagerFixture::SetUp();
        SetLongReplyWait(300);
        Clock::SetFixed(QDateTime(QDate(2016, 3, 1), QTime(15, 7, 42)));
    }
    void TearDown() override
    {
        Clock::SetFixed(std::nullopt);
        SetLongReplyWait(60000);
        DeviceManagerFixture::TearDown();
    }

    // Lab loaded from a family-6 device holding `records` eight-sensor records.
    std::unique_ptr<FakeDevice> LoadLab(int records = 3)
    {
        auto device = Device(6, 10, 1);
        for (int r = 0; r < records; ++r)
            device->dataLog += Record("054503150614", {r, 1, 2, 3, 4, 5, 6, 7}, 0x1A);
        Add(QStringLiteral("Lab"), device->Address());
        Open();
        Edit(2);
        return device;
    }

    QString RawFile() const
    {
        QFile file(ProgramFile(QStringLiteral("LastDownloadedDataLogFile.bin")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex())
                                              : QStringLiteral("none");
    }
    int GridRows() const { return screen->gridLog->model()->rowCount(); }
    bool ExportShown() const { return screen->btnExportLog->isVisibleTo(screen.get()); }
};

TEST_F(DataLogFrameTest, ClockBoxesAndTheStoreButton)
{
    const auto device = LoadLab();
    EXPECT_EQ(screen->txtDT->text(), QStringLiteral("6/15/2014 5:30 AM"));
    EXPECT_EQ(screen->txtUR->text(), QStringLiteral("5"));
    EXPECT_EQ(screen->txtNR->text(), QStringLiteral("3"));

    struct Case {
        const char *entry;
        int rateByte; // -1: refused before any exchange
    } cases[] = {{"", -1},     {"abc", -1}, {"0.5", -1}, {"60.4", -1}, {"61", -1},
                 {"0", -1},    {"nan", -1}, {"inf", -1}, {"-inf", -1}, {"1e999", -1},
                 {"59.5", 60}, {"2.5", 2},  {"1.5", 2},  {"60", 60},   {"1", 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry);
        Answer({});
        const qsizetype before = device->Requests().size();
        screen->txtUR->setText(QString::fromLatin1(c.entry));
        QTest::mouseClick(screen->btnStoreDateTime, Qt::LeftButton);
        if (c.rateByte < 0) {
            EXPECT_EQ(device->Requests().size(), before);
            EXPECT_EQ(Messages(),
                      QStringList(*c.entry ? QStringLiteral("The valid update rate is between 1 "
                                                            "and 60 minutes")
                                           : QStringLiteral("Please enter a value for the log "
                                                            "update rate.")));
            EXPECT_EQ(screen->txtUR->text(), *c.entry ? QStringLiteral("5") : QString());
            continue;
        }
        EXPECT_TRUE(Messages().isEmpty());
        EXPECT_EQ(device->Requests().last().left(11).toHex(), "decade0000076303010316");
        EXPECT_EQ(uchar(device->Requests().last().at(11)), c.rateByte);
        EXPECT_EQ(device->clock.toHex(), "00076303010316");
        EXPECT_EQ(device->logRate, c.rateByte);
        EXPECT_EQ(screen->txtDT->text(), QStringLiteral("3/1/2016 3:07 PM"));
        EXPECT_EQ(screen->txtNR->text(), QStringLiteral("3"));
    }

    device->SetKnob(kStoreClock, {Behaviour::Silent});
    QTest::mouseClick(screen->btnStoreDateTime, Qt::LeftButton);
    EXPECT_EQ(screen->txtDT->text(), QStringLiteral("Upload failed"));

    device->logRecordSize = 1;
    device->dataLog = QByteArray(65535, '\0');
    Edit(2);
    EXPECT_EQ(screen->txtNR->text(), QStringLiteral("65535")) << "bytes FF FF";

    device->SetKnob(kReadClock, {Behaviour::Silent});
    Edit(2);
    EXPECT_EQ(screen->txtDT->text(),
              QStringLiteral("Failed to read date and time from ") + device->Address());
    EXPECT_EQ(screen->txtUR->text() + screen->txtNR->text(), QString());
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("Failure while downloading log records from Lab"));
    EXPECT_EQ(TextColour(screen->lblServerError), 0xFF0000u);
    EXPECT_NE(device->Requests().last().left(4), kDataLog) << "no count, no download";
}

TEST_F(DataLogFrameTest, DownloadKeepsTheWholeLogOrNothing)
{
    const auto device = LoadLab(2000);
    // Every byte value a text conversion could spoil.
    for (int i = 0; i < 256; ++i)
        device->dataLog[6 + 23 * i] = char(i);
    device->SetKnob(kDataLog, {Behaviour::Split, 0, 4096, 5});
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    EXPECT_EQ(GridRows(), 2000);
    EXPECT_TRUE(screen->lblServerError->text().endsWith(QStringLiteral("of 46000 bytes")))
        << screen->lblServerError->text().toStdString();
    EXPECT_EQ(TextColour(screen->lblServerError), 0u);
    EXPECT_TRUE(ExportShown());
    // The frame, and the grid in it, reach down as far as the tree does.
    screen->layout()->activate();
    EXPECT_GE(screen->frmDateTime->geometry().bottom(), screen->ServerTree->geometry().bottom());
    EXPECT_EQ(RawFile(), QString::fromLatin1(device->dataLog.toHex()));
    EXPECT_EQ(screen->gridLog->model()->headerData(13, Qt::Horizontal), QVariant(QString()));
    EXPECT_FALSE(screen->gridLog->isColumnHidden(13));
    EXPECT_TRUE(screen->gridLog->isColumnHidden(0)) << "Record #, 10 twips wide";

    const QString raw = RawFile();
    struct Case {
        const char *name;
        Behaviour behaviour;
    } failures[] = {{"short", Behaviour::Short}, {"busy", Behaviour::Busy}};
    for (const Case &c : failures) {
        SCOPED_TRACE(c.name);
        device->SetKnob(kDataLog, {c.behaviour});
        QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
        EXPECT_EQ(screen->lblServerError->text(),
                  QStringLiteral("Failure while downloading log records from Lab"));
        EXPECT_EQ(TextColour(screen->lblServerError), 0xFF0000u);
        EXPECT_FALSE(ExportShown());
        EXPECT_EQ(GridRows(), 2000);
        EXPECT_EQ(RawFile(), raw);
    }

    device->SetKnob(kDataLog, {});
    QFile::remove(ProgramFile(QStringLiteral("LastDownloadedDataLogFile.bin")));
    ASSERT_TRUE(QDir(ProgramFolder()).mkpath(QStringLiteral("LastDownloadedDataLogFile.bin/x")));
    device->dataLog.truncate(23);
    Edit(2);
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    EXPECT_TRUE(screen->lblServerError->text().startsWith(
        QStringLiteral("Failure while creating binary file ") +
        ProgramFile(QStringLiteral("LastDownloadedDataLogFile.bin")) +
        QStringLiteral(".  The error is ")));
    EXPECT_EQ(GridRows(), 1);
    EXPECT_TRUE(ExportShown());

    // The busy reply is as long as this one-record log: refused as busy, not taken as data.
    device->SetKnob(kDataLog, {Behaviour::Busy});
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("Failure while downloading log records from Lab"));
    EXPECT_FALSE(ExportShown());
}

// A device that keeps sending a byte now and then is not waited for beyond the whole
// download's time: the long wait plus a second for every 100 bytes expected.
TEST_F(DataLogFrameTest, ATricklingDeviceIsGivenUpAtTheWholeDownloadsLimit)
{
    const auto device = LoadLab(3);
    SetLongReplyWait(1500);
    device->SetKnob(kDataLog, {Behaviour::Split, 0, 1, 1000});
    QElapsedTimer waited;
    waited.start();
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    EXPECT_GE(waited.elapsed(), 1500 + 69 * 10);
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("Failure while downloading log records from Lab"));
    EXPECT_EQ(TextColour(screen->lblServerError), 0xFF0000u);
    EXPECT_FALSE(ExportShown());
    EXPECT_FALSE(screen->Busy());
}

TEST_F(DataLogFrameTest, HiLoAndExportThroughTheScreen)
{
    const auto device = LoadLab();
    QTest::mouseClick(screen->btnGetLogFile, Qt::LeftButton);
    const QString path = ProgramFile(QStringLiteral("log.csv"));
    prompt->QueueSave(std::nullopt);
    prompt->QueueSave(path);
    QTest::mouseClick(screen->btnExportLog, Qt::LeftButton);
    EXPECT_TRUE(Messages().isEmpty()) << "a cancel says nothing";
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(prompt->SaveRequests().size(), 1);
    EXPECT_EQ(prompt->SaveRequests()[0].proposal, QStringLiteral("Lab.csv"));
    QTest::mouseClick(screen->btnExportLog, Qt::LeftButton);
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("The file ") + path +
                                       QStringLiteral(" has been created")}));
    const QList<QByteArray> lines = Lines(path);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith("\"Sensor 8\",\"Door 1\",\"Door 2\",\"Power\""))
        << "a family-6 data log exports as the eight-sensor table";

    ASSERT_TRUE(screen->btnDownloadHiLoReadings->isEnabled());
    QTest::mouseClick(screen->btnDownloadHiLoReadings, Qt::LeftButton);
    EXPECT_EQ(GridRows(), 365);
    EXPECT_TRUE(ExportShown());
    device->SetKnob(kHiLo, {Behaviour::Short});
    QTest::mouseClick(screen->btnDownloadHiLoReadings, Qt::LeftButton);
    EXPECT_EQ(screen->lblServerError->text(),
              QStringLiteral("Failure while downloading Daily High/Low records from Lab"));
    EXPECT_EQ(GridRows(), 0);
    EXPECT_FALSE(ExportShown());

    Answer({});
    prompt->QueueSave(ProgramFile(QStringLiteral("missing/log.csv")));
    screen->btnExportLog_Click();
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("There was an error creating the log file ") +
                                       ProgramFile(QStringLiteral("missing/log.csv")) +
                                       QStringLiteral(".  No log file has been created.")}));
}

} // namespace
