#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;

// The settings record, stored as the one 1557-byte record of VantrelConfig.dat.
// Text fields hold what was set or read (full width after a read; NULs where never
// set); writing cuts or blank-fills them to their width. Credentials are plain here
// and encrypted only in the file.
struct ConfigRecord {
    ConfigRecord();
    bool operator==(const ConfigRecord &) const = default;

    QString Reserved1;                 // 50
    QString Reserved2;                 // 50
    qint16 Reserved3 = 0;
    qint16 Reserved4 = 0;
    QString OrgName;                   // 51
    QString OrgAddress;                // 250
    QString OrgPhoneNumber;            // 20
    QString PrinterName;               // 100
    qint16 PrinterIndex = 0;
    QString AutoPrintReport;           // 3
    qint16 Reserved11 = 0;
    QString TimeToPrint;               // 2
    QString TimeToPrintAMPM;           // 2
    QString SMTPHost;                  // 100
    QString SMTPUserName;              // 100, encrypted
    QString SMTPPassword;              // 100, encrypted
    QString LoginDomain;               // 100
    QString AuthenticationMethod;      // 20
    QString ServerFailureEmailAddress; // 100
    qint16 SMTPPort = 0;
    qint16 SMTPTimeOut = 0;
    qint16 CommunicationRetry = 0;
    qint16 TCPTimeOut = 0;
    qint16 UpdateRate = 0;
    qint16 UseAuthentication = 0;
    qint16 UseSSL = 0;
    QString FromAddress;               // 100
    qint16 SystemOKEmail = 0;
    QString LastSystemOKEmail;         // 25
    qint16 EnableTrending = 0;
    QString AdminUserName;             // 100, encrypted
    QString AdminPassword;             // 100, encrypted
    QString LogDir;                    // 100
    qint16 PopUps = 0;
    qint16 NoShutdownPrompt = 0;
    QString AlarmEmailSubjectLine;     // 40
    qint16 OKHour = 0;
    qint16 Reserved38 = 0;
    qint16 OKHourAMPM = 0;
    qint16 ReminderIndex = 0;
    qint16 StatusGridColour = 0;
    qint16 UseStartTLS = 0;
    qint16 CloseSMTP = 0;
};

constexpr int kConfigRecordLength = 1557;
// The longest credential (in stored bytes) whose base64 cipher fits its 100-byte field.
constexpr int kMaxCredentialBytes = 63;

// The program's one settings record.
ConfigRecord &Config();

// A field's value without the blanks and NULs of its fixed width.
QString ConfigText(const QString &field);
// The width in the file of a text field, in bytes.
int ConfigTextWidth(QString ConfigRecord::*field);

// Encryption of the credentials needs SetupCrypt to have run; before that a save fails.
void SetupCrypt();
bool SaveConfiguration();
bool ReadConfiguration();
bool ValidateConfiguration();
// The same through a device of the caller's, opened here when it is not open yet.
bool ReadConfiguration(QIODevice &device);
