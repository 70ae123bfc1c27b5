#include "ConfigRecord.h"
#include "AnsiText.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <functional>

namespace {

// Serves `data` but fails every read and write after `limit` bytes, as a disk would.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QByteArray data, qint64 limit) : m_data(std::move(data)), m_limit(limit) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        if (m_pos >= m_limit)
            return -1;
        const qint64 n = std::min({max, m_limit - m_pos, qint64(m_data.size()) - m_pos});
        std::copy_n(m_data.constData() + m_pos, n, out);
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64 size) override
    {
        if (m_pos >= m_limit)
            return -1;
        const qint64 n = std::min(size, m_limit - m_pos);
        m_pos += n;
        return n;
    }

private:
    QByteArray m_data;
    qint64 m_limit;
    qint64 m_pos = 0;
};

QString Text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

qint16 IntAt(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<qint16>(bytes.constData() + offset);
}

void PutAt(QByteArray &bytes, int offset, const QByteArray &field)
{
    bytes.replace(offset, field.size(), field);
}

void SetAllInRange(ConfigRecord &c)
{
    c.OKHour = 10;
    c.OKHourAMPM = 0;
    c.TCPTimeOut = 2;
    c.CommunicationRetry = 3;
    c.UpdateRate = 60;
    c.SMTPPort = 25;
    c.SMTPTimeOut = 30;
    c.AuthenticationMethod = Text("LOGIN");
    c.ReminderIndex = 1;
    c.StatusGridColour = 2;
}

void SetCredentials(ConfigRecord &c)
{
    c.SMTPUserName = Text("mailer");
    c.SMTPPassword = Text("s3cret pass");
    c.AdminUserName = Text("admin");
    c.AdminPassword = QStringLiteral("Adm1n\u00B0pw");
}

constexpr int kSMTPUserNameAt = 636;
constexpr int kSMTPPasswordAt = 736;
constexpr int kAdminUserNameAt = 1199;
constexpr int kAdminPasswordAt = 1299;

class ConfigRecordTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        Config() = ConfigRecord{};
        SetupCrypt();
    }

    QString ConfigFile() const { return File(Text("VantrelConfig.dat")); }
    bool FileExists() const { return QFile::exists(ConfigFile()); }
    QByteArray FileBytes() const
    {
        QFile file(ConfigFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void WriteFile(const QByteArray &bytes) const
    {
        QFile file(ConfigFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // A valid file with credentials, saved through the real writer.
    QByteArray SavedRecord() const
    {
        ConfigRecord record;
        SetAllInRange(record);
        SetCredentials(record);
        record.OrgName = Text("Cold Store");
        Config() = record;
        EXPECT_TRUE(SaveConfiguration());
        Config() = ConfigRecord{};
        return FileBytes();
    }
    QStringList ErrorRows() const { return Rows(Text("SELECT myFunction, Cause FROM tblErrors")); }
    QString SaveError(const QString &cause) const
    {
        return Text("myFunction=Error saving configuration parameters to ") + Folder() +
               Text("|Cause=") + cause;
    }
    QString ReadError(const QString &cause) const
    {
        return Text("myFunction=Error reading configuration parameters from ") + Folder() +
               Text("|Cause=") + cause;
    }
};

} // namespace

TEST_F(ConfigRecordTest, MissingFileReadsFalseAndKeepsTheRecord)
{
    Config().OrgName = Text("Kept");
    EXPECT_FALSE(ReadConfiguration());
    EXPECT_EQ(Config().OrgName, Text("Kept"));
    EXPECT_TRUE(ErrorRows().isEmpty());
}

TEST_F(ConfigRecordTest, ValidateWithoutFileWritesDefaultsAtTheirOffsets)
{
    ASSERT_FALSE(ReadConfiguration());
    EXPECT_FALSE(ValidateConfiguration());

    const QByteArray bytes = FileBytes();
    ASSERT_EQ(bytes.size(), kConfigRecordLength);
    EXPECT_EQ(IntAt(bytes, 1543), 10); // OKHour
    EXPECT_EQ(IntAt(bytes, 1547), 1);  // OKHourAMPM: PM
    EXPECT_EQ(IntAt(bytes, 1062), 2);  // TCPTimeOut
    EXPECT_EQ(IntAt(bytes, 1060), 1);  // CommunicationRetry
    EXPECT_EQ(IntAt(bytes, 1064), 60); // UpdateRate
    EXPECT_EQ(IntAt(bytes, 1056), 25); // SMTPPort
    EXPECT_EQ(IntAt(bytes, 1058), 30); // SMTPTimeOut
    EXPECT_EQ(bytes.mid(936, 20), QByteArray("NONE") + QByteArray(16, ' '));
    EXPECT_EQ(bytes.mid(104, 51), QByteArray(51, '\0')); // OrgName never set
    // Never-set credentials are stored as the cipher of an empty value.
    for (const int at : {kSMTPUserNameAt, kSMTPPasswordAt, kAdminUserNameAt, kAdminPasswordAt})
        EXPECT_EQ(bytes.mid(at, 100), QByteArray("wpLGrozj6Rbc2mWoaFGsmQ==").leftJustified(100));

    EXPECT_TRUE(ReadConfiguration());
    EXPECT_TRUE(ValidateConfiguration());
    EXPECT_EQ(ConfigText(Config().AdminUserName), QString());
    EXPECT_EQ(Config().AdminUserName, QString(100, u' '));
    EXPECT_TRUE(ErrorRows().isEmpty());
}

// The expected bytes are built from the field list by hand, so a wrong offset or width
// in the writer cannot agree with the same mistake in the reader.
TEST_F(ConfigRecordTest, EveryFieldLandsAtItsOffsetAndReadsBack)
{
    QByteArray expected;
    ConfigRecord readBack;
    const auto text = [&](QString ConfigRecord::*field, const QString &value, int width) {
        Config().*field = value;
        expected += FixedAnsi(value, width);
        readBack.*field = FromAnsi(FixedAnsi(value, width));
    };
    const auto number = [&](qint16 ConfigRecord::*field, qint16 value) {
        Config().*field = value;
        expected += char(value & 0xFF);
        expected += char((value >> 8) & 0xFF);
        readBack.*field = value;
    };
    const auto credential = [&](QString ConfigRecord::*field, const QString &value,
                                const char *cipher) {
        Config().*field = value;
        expected += QByteArray(cipher).leftJustified(100);
        readBack.*field = value.leftJustified(100);
    };
    text(&ConfigRecord::Reserved1, Text("reserved one"), 50);
    text(&ConfigRecord::Reserved2, QString(50, u'\0'), 50);
    number(&ConfigRecord::Reserved3, -2);
    number(&ConfigRecord::Reserved4, 0x1234);
    text(&ConfigRecord::OrgName, QStringLiteral("K\u00E4ltehaus \u20AC"), 51);
    text(&ConfigRecord::OrgAddress, Text("1 Quay Road\r\nPortside"), 250);
    text(&ConfigRecord::OrgPhoneNumber, Text("555-0100-555-0199-1234"), 20); // cut
    text(&ConfigRecord::PrinterName, Text("Laser"), 100);
    number(&ConfigRecord::PrinterIndex, 3);
    text(&ConfigRecord::AutoPrintReport, Text("Yes"), 3);
    number(&ConfigRecord::Reserved11, -32768);
    text(&ConfigRecord::TimeToPrint, Text("9"), 2);
    text(&ConfigRecord::TimeToPrintAMPM, Text("PM"), 2);
    text(&ConfigRecord::SMTPHost, Text("mail.example"), 100);
    credential(&ConfigRecord::SMTPUserName, Text("mailer"), "4q3NgwUlF2tQnXVr6xB/yQ==");
    credential(&ConfigRecord::SMTPPassword, Text("s3cret pass"), "M6xKPPKEa05CVlfgQ+AqSg==");
    text(&ConfigRecord::LoginDomain, Text("CORP"), 100);
    text(&ConfigRecord::AuthenticationMethod, Text("CRAM-MD5"), 20);
    text(&ConfigRecord::ServerFailureEmailAddress, Text("ops@example;boss@example"), 100);
    number(&ConfigRecord::SMTPPort, 587);
    number(&ConfigRecord::SMTPTimeOut, 45);
    number(&ConfigRecord::CommunicationRetry, 4);
    number(&ConfigRecord::TCPTimeOut, 9);
    number(&ConfigRecord::UpdateRate, 32767);
    number(&ConfigRecord::UseAuthentication, 1);
    number(&ConfigRecord::UseSSL, 1);
    text(&ConfigRecord::FromAddress, Text("station@example"), 100);
    number(&ConfigRecord::SystemOKEmail, 1);
    text(&ConfigRecord::LastSystemOKEmail, Text("2026-03-01 14:05:09"), 25);
    number(&ConfigRecord::EnableTrending, 1);
    credential(&ConfigRecord::AdminUserName, Text("admin"), "VjUAuPhP4Abwgq6R9kA4QQ==");
    credential(&ConfigRecord::AdminPassword, QStringLiteral("Adm1n\u00B0pw"),
               "0KTGIT4Rn2w2PpgWGQogaQ==");
    text(&ConfigRecord::LogDir, Text("/SRV/LOGS"), 100);
    number(&ConfigRecord::PopUps, 1);
    number(&ConfigRecord::NoShutdownPrompt, 1);
    text(&ConfigRecord::AlarmEmailSubjectLine, Text("Freezer alarm"), 40);
    number(&ConfigRecord::OKHour, 12);
    number(&ConfigRecord::Reserved38, 7);
    number(&ConfigRecord::OKHourAMPM, -1);
    number(&ConfigRecord::ReminderIndex, 4);
    number(&ConfigRecord::StatusGridColour, 2);
    number(&ConfigRecord::UseStartTLS, 1);
    number(&ConfigRecord::CloseSMTP, 1);
    ASSERT_EQ(expected.size(), kConfigRecordLength);

    const ConfigRecord inMemory = Config();
    ASSERT_TRUE(SaveConfiguration());
    EXPECT_EQ(Config(), inMemory); // credentials stay plain in memory
    const QByteArray bytes = FileBytes();
    EXPECT_EQ(bytes, expected);
    for (const char *plain : {"mailer", "s3cret", "admin", "Adm1n"})
        EXPECT_FALSE(bytes.contains(plain)) << plain;

    Config() = ConfigRecord{};
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_EQ(Config(), readBack);
}

TEST_F(ConfigRecordTest, ValidateRepairsOnlyOutOfRangeNumbers)
{
    const struct {
        const char *name;
        qint16 ConfigRecord::*field;
        qint16 value;
        qint16 after;
    } rows[] = {
        {"AllInRange", &ConfigRecord::TCPTimeOut, 2, 2},
        {"TCPTimeOut10", &ConfigRecord::TCPTimeOut, 10, 2},
        {"TCPTimeOut9", &ConfigRecord::TCPTimeOut, 9, 9},
        {"TCPTimeOut1", &ConfigRecord::TCPTimeOut, 1, 1},
        {"TCPTimeOut0", &ConfigRecord::TCPTimeOut, 0, 2},
        {"UpdateRate4", &ConfigRecord::UpdateRate, 4, 60},
        {"UpdateRate5", &ConfigRecord::UpdateRate, 5, 5},
        {"UpdateRate32767", &ConfigRecord::UpdateRate, 32767, 32767},
        {"CommunicationRetry0", &ConfigRecord::CommunicationRetry, 0, 1},
        {"CommunicationRetry99", &ConfigRecord::CommunicationRetry, 99, 99},
        {"SMTPPortNegative", &ConfigRecord::SMTPPort, -1, 25},
        {"SMTPTimeOut0", &ConfigRecord::SMTPTimeOut, 0, 30},
        {"ReminderIndexNegative", &ConfigRecord::ReminderIndex, -1, 0},
        {"ReminderIndex0", &ConfigRecord::ReminderIndex, 0, 0},
        {"StatusGridColourNegative", &ConfigRecord::StatusGridColour, -1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(ConfigFile());
        Config() = ConfigRecord{};
        SetAllInRange(Config());
        Config().*row.field = row.value;
        const bool unchanged = row.value == row.after;

        EXPECT_EQ(ValidateConfiguration(), unchanged);
        EXPECT_EQ(Config().*row.field, row.after);
        EXPECT_EQ(FileExists(), !unchanged);
    }
}

TEST_F(ConfigRecordTest, ValidateSetsTenPmForAnHourOutsideOneToTwelve)
{
    const struct {
        const char *name;
        qint16 hour, ampm, hourAfter, ampmAfter;
    } rows[] = {
        {"Hour13", 13, 0, 10, 1},   {"Hour0", 0, 0, 10, 1},  {"Hour12Am", 12, 0, 12, 0},
        {"Hour12Pm", 12, 1, 12, 1}, {"Hour1Am", 1, 0, 1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Config() = ConfigRecord{};
        SetAllInRange(Config());
        Config().OKHour = row.hour;
        Config().OKHourAMPM = row.ampm;
        EXPECT_EQ(ValidateConfiguration(), row.hour == row.hourAfter);
        EXPECT_EQ(Config().OKHour, row.hourAfter);
        EXPECT_EQ(Config().OKHourAMPM, row.ampmAfter);
    }
}

TEST_F(ConfigRecordTest, ValidatePutsNoneIntoAnEmptyAuthenticationMethod)
{
    const struct {
        const char *name;
        QString method, after;
    } rows[] = {
        {"Blanks", QString(20, u' '), Text("NONE")},
        {"NeverSet", QString(20, u'\0'), Text("NONE")},
        {"Set", Text("PLAIN"), Text("PLAIN")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Config() = ConfigRecord{};
        SetAllInRange(Config());
        Config().AuthenticationMethod = row.method;
        EXPECT_EQ(ValidateConfiguration(), row.method == row.after);
        EXPECT_EQ(Config().AuthenticationMethod, row.after);
    }
}

// A credential whose cipher would overflow its field is refused rather than cut into
// text that can never be decrypted again.
TEST_F(ConfigRecordTest, CredentialThatWouldNotFitIsRefusedAndNothingWritten)
{
    const QString x63(63, u'x');
    const QString e63(63, u'\u00E9');
    const struct {
        const char *name;
        QString value;
        QString readBack; // empty: refused
    } rows[] = {
        {"SixtyThreeBytes", x63, x63},
        {"SixtyThreeAnsiBytes", e63, e63},
        {"PaddedWithBlanksAndNuls", Text("  ") + x63 + Text("   ") + QString(30, u'\0'), x63},
        {"SixtyFourBytes", x63 + Text("x"), QString()},
        {"SixtyFourAnsiBytes", e63 + QStringLiteral("\u20AC"), QString()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Config() = ConfigRecord{};
        SetAllInRange(Config());
        ASSERT_TRUE(SaveConfiguration());
        const QByteArray before = FileBytes();

        Config().SMTPPassword = row.value;
        const ConfigRecord inMemory = Config();
        const bool saved = SaveConfiguration();
        EXPECT_EQ(saved, !row.readBack.isEmpty());
        EXPECT_EQ(Config(), inMemory);
        if (saved) {
            Config() = ConfigRecord{};
            ASSERT_TRUE(ReadConfiguration());
            EXPECT_EQ(ConfigText(Config().SMTPPassword), row.readBack);
        } else {
            EXPECT_EQ(FileBytes(), before);
        }
    }
    EXPECT_EQ(ErrorRows(),
              (QStringList{SaveError(Text("SMTPPassword is longer than 63 characters")),
                           SaveError(Text("SMTPPassword is longer than 63 characters"))}));

    // Refused before the file is opened, so none is created either.
    QFile::remove(ConfigFile());
    Config().AdminUserName = QString(64, u'a');
    EXPECT_FALSE(SaveConfiguration());
    EXPECT_FALSE(FileExists());
}

TEST_F(ConfigRecordTest, BlankOrNulCredentialFieldsReadBackEmptyWithoutDecrypting)
{
    QByteArray bytes = SavedRecord();
    PutAt(bytes, kSMTPUserNameAt, QByteArray(100, ' '));
    PutAt(bytes, kAdminPasswordAt, QByteArray(100, '\0'));
    WriteFile(bytes);

    EXPECT_TRUE(ReadConfiguration());
    EXPECT_EQ(ConfigText(Config().SMTPUserName), QString());
    EXPECT_EQ(ConfigText(Config().AdminPassword), QString());
    EXPECT_EQ(ConfigText(Config().SMTPPassword), Text("s3cret pass"));
    EXPECT_TRUE(ErrorRows().isEmpty());
}

TEST_F(ConfigRecordTest, ShortFileReadsAsFarAsItGoesAndValidateRepairsIt)
{
    const QByteArray full = SavedRecord();
    const struct {
        const char *name;
        int length;
        bool readOk;
    } rows[] = {
        {"Empty", 0, true},
        {"EndsBeforeOrgName", 104, true},
        {"EndsInsideOrgName", 110, true},
        {"EndsInsideCommunicationRetry", 1061, true},
        {"OneByteShort", kConfigRecordLength - 1, true},
        // The cut credential no longer decrypts: reported, and not kept as cipher text.
        {"EndsInsideSMTPUserName", 650, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        WriteFile(full.left(row.length));
        Config() = ConfigRecord{};
        EXPECT_EQ(ReadConfiguration(), row.readOk);

        const ConfigRecord &c = Config();
        const int orgNameBytes = std::clamp(row.length - 104, 0, 51);
        EXPECT_EQ(c.OrgName, FromAnsi(full.mid(104, orgNameBytes).leftJustified(51, '\0')));
        EXPECT_EQ(c.TCPTimeOut, row.length >= 1064 ? 2 : 0);
        EXPECT_EQ(c.CommunicationRetry, row.length > 1060 ? 3 : 0); // low byte only at 1061
        EXPECT_EQ(c.CloseSMTP, 0);
        if (row.length < kAdminPasswordAt) {
            EXPECT_EQ(c.AdminPassword, QString(100, u'\0'));
        }
        EXPECT_EQ(ConfigText(c.SMTPUserName), row.length >= 736 ? Text("mailer") : QString());

        const bool repaired = !ValidateConfiguration();
        EXPECT_EQ(repaired, row.length < 1064);
        if (repaired) {
            EXPECT_EQ(FileBytes().size(), kConfigRecordLength);
        }
        EXPECT_EQ(Config().TCPTimeOut, 2);
    }
    EXPECT_EQ(ErrorRows(),
              QStringList{ReadError(Text("Stored text does not decrypt: SMTPUserName"))});
}

TEST_F(ConfigRecordTest, OnlyTheFirstRecordOfALongerFileCounts)
{
    WriteFile(SavedRecord() + QByteArray(200, '\x7F'));
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_EQ(Config().CloseSMTP, 0);
    EXPECT_EQ(ConfigText(Config().AdminPassword), QStringLiteral("Adm1n\u00B0pw"));
    EXPECT_TRUE(ValidateConfiguration());
}

// Each damaged credential is cleared on its own; the good ones and the rest of the
// record are still loaded, and the failure is logged once.
TEST_F(ConfigRecordTest, UndecryptableCredentialIsClearedAndReported)
{
    QByteArray bytes = SavedRecord();
    PutAt(bytes, kSMTPPasswordAt, QByteArray("!!not base64!!").leftJustified(100));
    PutAt(bytes, kAdminPasswordAt, QByteArray("AAAAAAAAAAAAAAAAAAAAAA==").leftJustified(100));
    WriteFile(bytes);

    EXPECT_FALSE(ReadConfiguration());
    const ConfigRecord &c = Config();
    EXPECT_EQ(c.SMTPPassword, QString(100, u' '));
    EXPECT_EQ(c.AdminPassword, QString(100, u' '));
    EXPECT_EQ(ConfigText(c.SMTPUserName), Text("mailer"));
    EXPECT_EQ(ConfigText(c.AdminUserName), Text("admin"));
    EXPECT_EQ(ConfigText(c.OrgName), Text("Cold Store"));
    EXPECT_EQ(ErrorRows(), QStringList{ReadError(
                               Text("Stored text does not decrypt: SMTPPassword, AdminPassword"))});
}

TEST_F(ConfigRecordTest, DeviceFailureIsReportedAndTheRecordKept)
{
    const QByteArray full = SavedRecord();
    Config().OrgName = Text("Kept");
    const ConfigRecord before = Config();

    FailingDevice reader(full, 100);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ReadConfiguration(reader));
    EXPECT_EQ(Config(), before);

    FailingDevice writer({}, 1000);
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    EXPECT_FALSE(SaveConfiguration(writer));
    QFile diskFull(Text("/dev/full"));
    EXPECT_FALSE(SaveConfiguration(diskFull));
    EXPECT_EQ(Config(), before);

    // A folder in the file's place cannot be opened either way.
    QFile::remove(ConfigFile());
    ASSERT_TRUE(QDir(Folder()).mkdir(Text("VantrelConfig.dat")));
    EXPECT_FALSE(SaveConfiguration());
    EXPECT_FALSE(ReadConfiguration());
    EXPECT_EQ(Config(), before);

    EXPECT_EQ(ErrorRows(), (QStringList{
                               ReadError(Text("Unknown error")),
                               SaveError(Text("Only 1000 of 1557 bytes written")),
                               SaveError(Text("No space left on device")),
                               SaveError(Text("Is a directory")),
                               ReadError(Text("file to open is a directory")),
                           }));
}
