#include "ConfigRecord.h"
#include "AnsiText.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <csignal>
#include <cstdlib>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSMTPUserNameAt = 636;
constexpr int kSMTPPasswordAt = 736;
constexpr int kAdminUserNameAt = 1199;
constexpr int kAdminPasswordAt = 1299;

void SetAllInRange(ConfigRecord &c)
{
    c.OKHour = 10;
    c.OKHourAMPM = 0;
    c.TCPTimeOut = 2;
    c.CommunicationRetry = 3;
    c.UpdateRate = 60;
    c.SMTPPort = 25;
    c.SMTPTimeOut = 30;
    c.AuthenticationMethod = u"LOGIN"_s;
    c.ReminderIndex = 1;
    c.StatusGridColour = 2;
}

class ConfigRecordTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        Config() = ConfigRecord{};
        SetupCrypt();
    }

    QString ConfigFile() const { return File(u"VantrelConfig.dat"_s); }
    void WriteFile(const QByteArray &bytes) const
    {
        QFile file(ConfigFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // A valid file with credentials, saved through the real writer.
    QByteArray SavedRecord() const
    {
        ConfigRecord &c = Config();
        SetAllInRange(c);
        c.SMTPUserName = u"mailer"_s;
        c.SMTPPassword = u"s3cret pass"_s;
        c.AdminUserName = u"admin"_s;
        c.AdminPassword = u"Adm1n\u00B0pw"_s;
        c.OrgName = u"Cold Store"_s;
        EXPECT_TRUE(SaveConfiguration());
        c = ConfigRecord{};
        return ReadAll(ConfigFile());
    }
    QString Error(const char *operation, const QString &cause) const
    {
        return "myFunction=Error "_L1 + QLatin1String(operation) + " configuration parameters "_L1 +
               (operation[0] == 's' ? "to "_L1 : "from "_L1) + Folder() + "|Cause="_L1 + cause;
    }
};

} // namespace

TEST_F(ConfigRecordTest, ValidateWithoutFileWritesDefaultsAtTheirOffsets)
{
    ASSERT_FALSE(ReadConfiguration());
    EXPECT_FALSE(ValidateConfiguration());

    const QByteArray bytes = ReadAll(ConfigFile());
    ASSERT_EQ(bytes.size(), kConfigRecordLength);
    const std::pair<int, qint16> numbers[] = {
        {1543, 10}, {1547, 1}, {1062, 2}, {1060, 1}, {1064, 60}, {1056, 25}, {1058, 30},
    }; // OKHour, OKHourAMPM (PM), TCPTimeOut, CommunicationRetry, UpdateRate, SMTP port, time-out
    for (const auto &[at, value] : numbers)
        EXPECT_EQ(qFromLittleEndian<qint16>(bytes.constData() + at), value) << "offset " << at;
    EXPECT_EQ(bytes.mid(936, 20), "NONE"_ba + QByteArray(16, ' '));
    EXPECT_EQ(bytes.mid(104, 51), QByteArray(51, '\0')); // OrgName never set
    // Never-set credentials are stored as the cipher of an empty value.
    for (const int at : {kSMTPUserNameAt, kSMTPPasswordAt, kAdminUserNameAt, kAdminPasswordAt})
        EXPECT_EQ(bytes.mid(at, 100), "wpLGrozj6Rbc2mWoaFGsmQ=="_ba.leftJustified(100));

    EXPECT_TRUE(ReadConfiguration());
    EXPECT_TRUE(ValidateConfiguration());
    EXPECT_EQ(Config().AdminUserName, QString(100, u' '));
    EXPECT_TRUE(ErrorRows().isEmpty());
}

// The expected bytes are built from the field list by hand, so a wrong offset or width
// in the writer cannot agree with the same mistake in the reader; no two numbers are alike,
// so two fields swapped show.
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
    using C = ConfigRecord;
    text(&C::Reserved1, u"reserved one"_s, 50);
    text(&C::Reserved2, QString(50, u'\0'), 50);
    number(&C::Reserved3, -2);
    number(&C::Reserved4, 0x1234);
    text(&C::OrgName, u"K\u00E4ltehaus \u20AC"_s, 51);
    text(&C::OrgAddress, u"1 Quay Road\r\nPortside"_s, 250);
    text(&C::OrgPhoneNumber, u"555-0100-555-0199-1234"_s, 20); // cut
    text(&C::PrinterName, u"Laser"_s, 100);
    number(&C::PrinterIndex, 3);
    text(&C::AutoPrintReport, u"Yes"_s, 3);
    number(&C::Reserved11, -32768);
    text(&C::TimeToPrint, u"9"_s, 2);
    text(&C::TimeToPrintAMPM, u"PM"_s, 2);
    text(&C::SMTPHost, u"127.0.0.1"_s, 100);
    // Reference ciphers from `openssl enc -aes-128-cbc -iv 0 -base64` with the program's
    // key, so settings files written earlier keep decrypting.
    credential(&C::SMTPUserName, u"mailer"_s, "4q3NgwUlF2tQnXVr6xB/yQ==");
    credential(&C::SMTPPassword, u"s3cret pass"_s, "M6xKPPKEa05CVlfgQ+AqSg==");
    text(&C::LoginDomain, u"CORP"_s, 100);
    text(&C::AuthenticationMethod, u"CRAM-MD5"_s, 20);
    text(&C::ServerFailureEmailAddress, u"ops@example;boss@example"_s, 100);
    number(&C::SMTPPort, 587);
    number(&C::SMTPTimeOut, 45);
    number(&C::CommunicationRetry, 4);
    number(&C::TCPTimeOut, 9);
    number(&C::UpdateRate, 32767);
    number(&C::UseAuthentication, 11);
    number(&C::UseSSL, 13);
    text(&C::FromAddress, u"station@example"_s, 100);
    number(&C::SystemOKEmail, 17);
    text(&C::LastSystemOKEmail, u"2026-03-01 14:05:09"_s, 25);
    number(&C::EnableTrending, 19);
    credential(&C::AdminUserName, u"admin"_s, "VjUAuPhP4Abwgq6R9kA4QQ==");
    credential(&C::AdminPassword, u"Adm1n\u00B0pw"_s, "0KTGIT4Rn2w2PpgWGQogaQ==");
    text(&C::LogDir, u"/SRV/LOGS"_s, 100);
    number(&C::PopUps, 23);
    number(&C::NoShutdownPrompt, 29);
    text(&C::AlarmEmailSubjectLine, u"Freezer alarm"_s, 40);
    number(&C::OKHour, 12);
    number(&C::Reserved38, 7);
    number(&C::OKHourAMPM, -1);
    number(&C::ReminderIndex, 31);
    number(&C::StatusGridColour, 2);
    number(&C::UseStartTLS, 37);
    number(&C::CloseSMTP, 41);
    ASSERT_EQ(expected.size(), kConfigRecordLength);

    const ConfigRecord inMemory = Config();
    ASSERT_TRUE(SaveConfiguration());
    EXPECT_EQ(Config(), inMemory); // credentials stay plain in memory
    EXPECT_EQ(ReadAll(ConfigFile()), expected);

    Config() = ConfigRecord{};
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_EQ(Config(), readBack);
}

TEST_F(ConfigRecordTest, ValidateRepairsOnlyWhatIsOutOfRange)
{
    using C = ConfigRecord;
    const struct {
        const char *name;
        qint16 ConfigRecord::*field;
        qint16 value, after;
    } rows[] = {
        {"AllInRange", &C::TCPTimeOut, 2, 2},
        {"TCPTimeOut10", &C::TCPTimeOut, 10, 2},
        {"TCPTimeOut9", &C::TCPTimeOut, 9, 9},
        {"TCPTimeOut1", &C::TCPTimeOut, 1, 1},
        {"TCPTimeOut0", &C::TCPTimeOut, 0, 2},
        {"UpdateRate4", &C::UpdateRate, 4, 60},
        {"UpdateRate5", &C::UpdateRate, 5, 5},
        {"Retry0", &C::CommunicationRetry, 0, 1},
        {"SMTPPortNegative", &C::SMTPPort, -1, 25},
        {"SMTPTimeOut0", &C::SMTPTimeOut, 0, 30},
        {"ReminderIndexNegative", &C::ReminderIndex, -1, 0},
        {"GridColourNegative", &C::StatusGridColour, -1, 0},
        {"Hour13IsTenPm", &C::OKHour, 13, 10},
        {"Hour0IsTenPm", &C::OKHour, 0, 10},
        {"Hour12", &C::OKHour, 12, 12},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(ConfigFile());
        Config() = ConfigRecord{};
        SetAllInRange(Config());
        Config().*row.field = row.value;
        const bool repaired = row.value != row.after;

        EXPECT_EQ(ValidateConfiguration(), !repaired);
        EXPECT_EQ(Config().*row.field, row.after);
        EXPECT_EQ(Config().OKHourAMPM, row.field == &C::OKHour && repaired ? 1 : 0);
        EXPECT_EQ(QFile::exists(ConfigFile()), repaired); // a repair is saved
    }
    for (const QString &method : {QString(20, u' '), QString(20, u'\0')}) {
        Config().AuthenticationMethod = method;
        EXPECT_FALSE(ValidateConfiguration());
        EXPECT_EQ(Config().AuthenticationMethod, u"NONE"_s);
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
        {"PaddedWithBlanksAndNuls", "  "_L1 + x63 + "   "_L1 + QString(30, u'\0'), x63},
        {"SixtyFourBytes", x63 + u'x', QString()},
        {"SixtyFourAnsiBytes", e63 + u'\u20AC', QString()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Config() = ConfigRecord{};
        SetAllInRange(Config());
        ASSERT_TRUE(SaveConfiguration());
        const QByteArray before = ReadAll(ConfigFile());

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
            EXPECT_EQ(ReadAll(ConfigFile()), before);
        }
    }
    const QString tooLong = Error("saving", u"SMTPPassword is longer than 63 characters"_s);
    EXPECT_EQ(ErrorRows(), (QStringList{tooLong, tooLong}));

    // Refused before the file is opened, so none is created either.
    QFile::remove(ConfigFile());
    Config().AdminUserName = QString(64, u'a');
    EXPECT_FALSE(SaveConfiguration());
    EXPECT_FALSE(QFile::exists(ConfigFile()));
}

// Blank and never-set fields read back empty; each damaged one is cleared on its own while
// the rest of the record still loads, and the damage is logged once.
TEST_F(ConfigRecordTest, BlankCredentialsReadEmptyAndDamagedOnesAreClearedAndReported)
{
    QByteArray bytes = SavedRecord();
    bytes.replace(kSMTPUserNameAt, 100, QByteArray(100, ' '));
    bytes.replace(kAdminUserNameAt, 100, QByteArray(100, '\0'));
    bytes.replace(kSMTPPasswordAt, 100, "!!not base64!!"_ba.leftJustified(100));
    bytes.replace(kAdminPasswordAt, 100, "AAAAAAAAAAAAAAAAAAAAAA=="_ba.leftJustified(100));
    WriteFile(bytes);

    EXPECT_FALSE(ReadConfiguration());
    const ConfigRecord &c = Config();
    EXPECT_EQ(ConfigText(c.SMTPUserName), QString());
    EXPECT_EQ(ConfigText(c.AdminUserName), QString());
    EXPECT_EQ(c.SMTPPassword, QString(100, u' '));
    EXPECT_EQ(c.AdminPassword, QString(100, u' '));
    EXPECT_EQ(ConfigText(c.OrgName), u"Cold Store"_s);
    EXPECT_EQ(ErrorRows(),
              QStringList{Error("reading", u"Stored text does not decrypt: SMTPPassword, "
                                           "AdminPassword"_s)});
}

TEST_F(ConfigRecordTest, ShortOrLongFileReadsAsFarAsItGoesAndValidateRepairsIt)
{
    const QByteArray full = SavedRecord() + QByteArray(200, '\x7F');
    const struct {
        const char *name;
        int length;
        bool readOk;
    } rows[] = {
        {"Empty", 0, true},
        {"EndsInsideOrgName", 110, true},
        {"EndsInsideCommunicationRetry", 1061, true},
        {"OneByteShort", kConfigRecordLength - 1, true},
        {"OnlyTheFirstRecordCounts", kConfigRecordLength + 200, true},
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
        EXPECT_EQ(ConfigText(c.SMTPUserName), row.length >= 736 ? u"mailer"_s : QString());

        const bool repaired = !ValidateConfiguration();
        EXPECT_EQ(repaired, row.length < 1064);
        if (repaired) {
            EXPECT_EQ(ReadAll(ConfigFile()).size(), kConfigRecordLength);
        }
        EXPECT_EQ(Config().TCPTimeOut, 2);
    }
    EXPECT_EQ(ErrorRows(),
              QStringList{Error("reading", u"Stored text does not decrypt: SMTPUserName"_s)});
}

TEST_F(ConfigRecordTest, FileThatCannotBeReadOrWrittenIsReportedAndTheRecordKept)
{
    Config().OrgName = u"Kept"_s;
    const ConfigRecord before = Config();
    EXPECT_FALSE(ReadConfiguration()); // no file yet: not an error
    EXPECT_TRUE(ErrorRows().isEmpty());

    ASSERT_TRUE(QDir(Folder()).mkdir(u"VantrelConfig.dat"_s));
    EXPECT_FALSE(SaveConfiguration());
    EXPECT_FALSE(ReadConfiguration());
    EXPECT_EQ(Config(), before);
    EXPECT_EQ(ErrorRows(), (QStringList{Error("saving", u"Filename refers to a directory"_s),
                                        Error("reading", u"file to open is a directory"_s)}));
}

// The file is replaced whole or not at all: a save killed mid-write (here by the file size
// limit) leaves the previous record. A new file is for its owner's eyes only.
TEST_F(ConfigRecordTest, ASaveKilledMidWriteLeavesThePreviousRecord)
{
    const QByteArray before = SavedRecord();
    const auto mode = [this] {
        struct stat status {};
        return stat(QFile::encodeName(ConfigFile()).constData(), &status) == 0
                   ? status.st_mode & 0777
                   : 0u;
    };
    EXPECT_EQ(mode(), 0600u);

    Config().OrgName = u"Changed"_s;
    const auto saveBeyondTheSizeLimit = [] {
        const rlimit noCore{0, 0};
        const rlimit small{1000, 1000};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &small);
        SaveConfiguration();
        std::_Exit(0);
    };
    EXPECT_EXIT(saveBeyondTheSizeLimit(), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(ReadAll(ConfigFile()), before);

    // An existing file keeps the permissions its owner gave it.
    ASSERT_EQ(chmod(QFile::encodeName(ConfigFile()).constData(), 0640), 0);
    ASSERT_TRUE(SaveConfiguration());
    EXPECT_EQ(ReadAll(ConfigFile()).mid(104, 7), "Changed");
    EXPECT_EQ(mode(), 0640u);
}
