#include "ConfigRecord.h"

#include "AnsiText.h"
#include "CryptComponent.h"
#include "ProgramFolder.h"
#include "ServerDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <optional>
#include <variant>

namespace {

QString NeverSet(int width)
{
    return QString(width, QChar(u'\0'));
}

// Where each field lies in the 1557-byte record; the writer and the reader both walk it.
struct FieldLayout {
    int offset;
    int width;
    std::variant<QString ConfigRecord::*, qint16 ConfigRecord::*> member;
};

constexpr std::array<FieldLayout, 43> kLayout = {{
    {0, 50, &ConfigRecord::Reserved1},
    {50, 50, &ConfigRecord::Reserved2},
    {100, 2, &ConfigRecord::Reserved3},
    {102, 2, &ConfigRecord::Reserved4},
    {104, 51, &ConfigRecord::OrgName},
    {155, 250, &ConfigRecord::OrgAddress},
    {405, 20, &ConfigRecord::OrgPhoneNumber},
    {425, 100, &ConfigRecord::PrinterName},
    {525, 2, &ConfigRecord::PrinterIndex},
    {527, 3, &ConfigRecord::AutoPrintReport},
    {530, 2, &ConfigRecord::Reserved11},
    {532, 2, &ConfigRecord::TimeToPrint},
    {534, 2, &ConfigRecord::TimeToPrintAMPM},
    {536, 100, &ConfigRecord::SMTPHost},
    {636, 100, &ConfigRecord::SMTPUserName},
    {736, 100, &ConfigRecord::SMTPPassword},
    {836, 100, &ConfigRecord::LoginDomain},
    {936, 20, &ConfigRecord::AuthenticationMethod},
    {956, 100, &ConfigRecord::ServerFailureEmailAddress},
    {1056, 2, &ConfigRecord::SMTPPort},
    {1058, 2, &ConfigRecord::SMTPTimeOut},
    {1060, 2, &ConfigRecord::CommunicationRetry},
    {1062, 2, &ConfigRecord::TCPTimeOut},
    {1064, 2, &ConfigRecord::UpdateRate},
    {1066, 2, &ConfigRecord::UseAuthentication},
    {1068, 2, &ConfigRecord::UseSSL},
    {1070, 100, &ConfigRecord::FromAddress},
    {1170, 2, &ConfigRecord::SystemOKEmail},
    {1172, 25, &ConfigRecord::LastSystemOKEmail},
    {1197, 2, &ConfigRecord::EnableTrending},
    {1199, 100, &ConfigRecord::AdminUserName},
    {1299, 100, &ConfigRecord::AdminPassword},
    {1399, 100, &ConfigRecord::LogDir},
    {1499, 2, &ConfigRecord::PopUps},
    {1501, 2, &ConfigRecord::NoShutdownPrompt},
    {1503, 40, &ConfigRecord::AlarmEmailSubjectLine},
    {1543, 2, &ConfigRecord::OKHour},
    {1545, 2, &ConfigRecord::Reserved38},
    {1547, 2, &ConfigRecord::OKHourAMPM},
    {1549, 2, &ConfigRecord::ReminderIndex},
    {1551, 2, &ConfigRecord::StatusGridColour},
    {1553, 2, &ConfigRecord::UseStartTLS},
    {1555, 2, &ConfigRecord::CloseSMTP},
}};

constexpr bool LayoutIsContiguous()
{
    int next = 0;
    for (const FieldLayout &field : kLayout) {
        const bool isInteger = std::holds_alternative<qint16 ConfigRecord::*>(field.member);
        if (field.offset != next || (isInteger && field.width != 2))
            return false;
        next += field.width;
    }
    return next == kConfigRecordLength;
}
static_assert(LayoutIsContiguous());

constexpr int FieldWidth(QString ConfigRecord::*member)
{
    for (const FieldLayout &field : kLayout) {
        if (field.member == decltype(field.member)(member))
            return field.width;
    }
    return 0;
}

struct Credential {
    QString ConfigRecord::*member;
    QLatin1String name;
};

constexpr std::array<Credential, 4> kCredentials = {{
    {&ConfigRecord::SMTPUserName, QLatin1String("SMTPUserName")},
    {&ConfigRecord::SMTPPassword, QLatin1String("SMTPPassword")},
    {&ConfigRecord::AdminUserName, QLatin1String("AdminUserName")},
    {&ConfigRecord::AdminPassword, QLatin1String("AdminPassword")},
}};

// PKCS#7 always adds a block, so 63 plain bytes make 64 cipher bytes (88 base64
// characters) and 64 make 80 (108): the limit is the last length whose text fits.
constexpr int Base64Length(int plainBytes)
{
    const int cipherBytes = (plainBytes / 16 + 1) * 16;
    return (cipherBytes + 2) / 3 * 4;
}
static_assert(std::all_of(kCredentials.begin(), kCredentials.end(), [](const Credential &c) {
    return Base64Length(kMaxCredentialBytes) <= FieldWidth(c.member) &&
           Base64Length(kMaxCredentialBytes + 1) > FieldWidth(c.member);
}));

const QString kFileName = QStringLiteral("VantrelConfig.dat");
const QString kPassPhrase = QStringLiteral("greenkettlesoupbyrivers");

std::optional<CryptComponent> g_cipher;

QByteArray EncodeRecord(const ConfigRecord &record)
{
    QByteArray bytes(kConfigRecordLength, '\0');
    for (const FieldLayout &field : kLayout) {
        char *at = bytes.data() + field.offset;
        if (const auto *text = std::get_if<QString ConfigRecord::*>(&field.member))
            PutFixedAnsi(at, record.**text, field.width);
        else
            qToLittleEndian(record.*std::get<qint16 ConfigRecord::*>(field.member), at);
    }
    return bytes;
}

// `bytes` is a whole record; what a short file lacked is zero, i.e. never set.
ConfigRecord DecodeRecord(const QByteArray &bytes)
{
    ConfigRecord record;
    for (const FieldLayout &field : kLayout) {
        const char *at = bytes.constData() + field.offset;
        if (const auto *text = std::get_if<QString ConfigRecord::*>(&field.member))
            record.**text = FromAnsi(QByteArray(at, field.width));
        else
            record.*std::get<qint16 ConfigRecord::*>(field.member) = qFromLittleEndian<qint16>(at);
    }
    return record;
}

bool SaveFailed(const QString &cause)
{
    RecordSystemError(QStringLiteral("Error saving configuration parameters to ") + ProgramFolder(),
                      cause);
    return false;
}

bool ReadFailed(const QString &cause)
{
    RecordSystemError(
        QStringLiteral("Error reading configuration parameters from ") + ProgramFolder(), cause);
    return false;
}

// The record as the file holds it: credentials encrypted. Nothing when one cannot be.
std::optional<QByteArray> FileRecord()
{
    ConfigRecord copy = Config();
    for (const Credential &credential : kCredentials) {
        // A never-set field is NULs; they are padding, not part of the value.
        const QString plain = ConfigText(copy.*credential.member);
        if (ToAnsi(plain).size() > kMaxCredentialBytes) {
            SaveFailed(credential.name + QStringLiteral(" is longer than ") +
                       QString::number(kMaxCredentialBytes) + QStringLiteral(" characters"));
            return std::nullopt;
        }
        const auto cipher = g_cipher ? g_cipher->EncryptString(plain) : std::nullopt;
        if (!cipher) {
            SaveFailed(QStringLiteral("Cannot encrypt ") + credential.name);
            return std::nullopt;
        }
        copy.*credential.member = *cipher;
    }
    return EncodeRecord(copy);
}

} // namespace

ConfigRecord::ConfigRecord()
    : Reserved1(NeverSet(50)), Reserved2(NeverSet(50)), OrgName(NeverSet(51)),
      OrgAddress(NeverSet(250)), OrgPhoneNumber(NeverSet(20)), PrinterName(NeverSet(100)),
      AutoPrintReport(NeverSet(3)), TimeToPrint(NeverSet(2)), TimeToPrintAMPM(NeverSet(2)),
      SMTPHost(NeverSet(100)), SMTPUserName(NeverSet(101)), SMTPPassword(NeverSet(100)),
      LoginDomain(NeverSet(100)), AuthenticationMethod(NeverSet(20)),
      ServerFailureEmailAddress(NeverSet(100)), FromAddress(NeverSet(100)),
      LastSystemOKEmail(NeverSet(25)), AdminUserName(NeverSet(100)), AdminPassword(NeverSet(100)),
      LogDir(NeverSet(100)), AlarmEmailSubjectLine(NeverSet(40))
{
}

ConfigRecord &Config()
{
    static ConfigRecord record;
    return record;
}

int ConfigTextWidth(QString ConfigRecord::*field)
{
    return FieldWidth(field);
}

QString ConfigText(const QString &field)
{
    QString text = field;
    text.replace(QChar(u'\0'), QChar(u' '));
    return text.trimmed();
}

void SetupCrypt()
{
    if (!g_cipher)
        g_cipher.emplace();
    g_cipher->SetAlgorithm(QStringLiteral("aes"));
    g_cipher->SetCipherMode(QStringLiteral("cbc"));
    g_cipher->SetKeyLength(128);
    const QString hex = QStringLiteral("hex");
    g_cipher->SetEncodedKey(g_cipher->GenerateSecretKey(kPassPhrase, hex).value_or(QString()), hex);
    g_cipher->SetEncodingMode(QStringLiteral("base64"));
}

// Written beside the file and renamed over it, so a crash or a full disk mid-save leaves
// the previous whole record: a torn one would lose the credentials for good.
bool SaveConfiguration()
{
    const std::optional<QByteArray> bytes = FileRecord();
    if (!bytes)
        return false;
    const QString path = ProgramFile(kFileName);
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SaveFailed(file.errorString());
    // It holds credentials the program itself can decrypt: for the owner's eyes only.
    if (isNew && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return SaveFailed(file.errorString());
    if (file.write(*bytes) != bytes->size() || !file.commit())
        return SaveFailed(file.errorString());
    return true;
}

bool ReadConfiguration()
{
    const QString path = ProgramFile(kFileName);
    if (!QFile::exists(path))
        return false;
    QFile file(path);
    return ReadConfiguration(file);
}

bool ReadConfiguration(QIODevice &device)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return ReadFailed(device.errorString());
    // Only the first record counts; a short file leaves the rest zero.
    QByteArray bytes(kConfigRecordLength, '\0');
    qint64 got = 0;
    while (got < kConfigRecordLength) {
        const qint64 n = device.read(bytes.data() + got, kConfigRecordLength - got);
        if (n < 0)
            return ReadFailed(device.errorString());
        if (n == 0)
            break;
        got += n;
    }

    ConfigRecord record = DecodeRecord(bytes);
    // Each credential is decrypted on its own: one damaged field must neither keep the
    // others in cipher text nor survive as cipher text itself, so it is cleared.
    QStringList undecryptable;
    for (const Credential &credential : kCredentials) {
        QString &field = record.*credential.member;
        const QString stored = ConfigText(field);
        if (stored.isEmpty())
            continue;
        const auto plain = g_cipher ? g_cipher->DecryptString(stored) : std::nullopt;
        if (plain) {
            field = plain->leftJustified(field.size());
        } else {
            field = QString(field.size(), QChar(u' '));
            undecryptable << credential.name;
        }
    }
    Config() = record;
    if (!undecryptable.isEmpty())
        return ReadFailed(QStringLiteral("Stored text does not decrypt: ") +
                          undecryptable.join(QStringLiteral(", ")));
    return true;
}

bool ValidateConfiguration()
{
    ConfigRecord &config = Config();
    bool changed = false;
    const auto put = [&changed](qint16 &field, qint16 value) {
        field = value;
        changed = true;
    };
    if (config.OKHour < 1 || config.OKHour > 12) {
        put(config.OKHour, 10);
        put(config.OKHourAMPM, 1);
    }
    if (config.TCPTimeOut < 1 || config.TCPTimeOut > 9)
        put(config.TCPTimeOut, 2);
    if (config.CommunicationRetry < 1)
        put(config.CommunicationRetry, 1);
    if (config.UpdateRate < 5)
        put(config.UpdateRate, 60);
    if (config.SMTPPort < 1)
        put(config.SMTPPort, 25);
    if (config.SMTPTimeOut < 1)
        put(config.SMTPTimeOut, 30);
    if (ConfigText(config.AuthenticationMethod).isEmpty()) {
        config.AuthenticationMethod = QStringLiteral("NONE");
        changed = true;
    }
    if (config.ReminderIndex < 0)
        put(config.ReminderIndex, 0);
    if (config.StatusGridColour < 0)
        put(config.StatusGridColour, 0);

    if (!changed)
        return true;
    SaveConfiguration();
    return false;
}
