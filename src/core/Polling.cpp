#include "Polling.h"

#include "AlarmEvaluation.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "Database.h"
#include "DeviceCommands.h"
#include "DeviceLink.h"
#include "DeviceTransport.h"
#include "EventWait.h"
#include "GeneralDate.h"
#include "NotificationEmails.h"
#include "ReplyDecoding.h"
#include "SensorRecordFiles.h"
#include "ServerDatabase.h"
#include "StatusBoard.h"
#include "StatusGrid.h"

#include <QElapsedTimer>
#include <QSqlRecord>
#include <QTimer>

namespace {
PollingState g_state;
// The server list as last read, for a cycle in which the database cannot be read.
Recordset g_knownServers;
QTimer *g_pollTimer = nullptr;
// The last daily e-mail, kept here as well as in the settings file: a file that cannot be
// written is re-read with the old moment every cycle, and every cycle would send another.
std::optional<QDateTime> g_lastDailyEmail;
constexpr int kPollTickMs = 5000;
} // namespace

PollingState &Polling()
{
    return g_state;
}

void ResetPollingState()
{
    g_state = PollingState{};
    g_knownServers.clear();
    g_lastDailyEmail.reset();
}

void InstallPollTimer(QTimer *timer)
{
    g_pollTimer = timer;
}

void StartPolling()
{
    if (!g_pollTimer)
        return;
    g_pollTimer->setInterval(kPollTickMs);
    g_pollTimer->start();
}

void StopPolling()
{
    // An interval of 0 would fire on every loop pass: stopping is the only "off".
    if (g_pollTimer)
        g_pollTimer->stop();
}

namespace {

constexpr int kPauseAfterFailureMs = 1000;

enum class Outcome { Answered, Busy, Failed, ShutDown };

bool Running()
{
    return LinkState().Running;
}

void SetMainHourglass(bool on)
{
    if (DeviceLink *link = DeviceLink::Instance())
        link->MainForm().SetHourglass(on);
}

// The pause after a failed attempt; false when the program is shutting down.
bool PauseAfterFailure()
{
    StartTimeout(kPauseAfterFailureMs);
    while (!LinkState().WatchDogFired) {
        YieldToEventLoop();
        if (!Running())
            return false;
    }
    StopTimeout();
    return Running();
}

// Identify, then read the current data, up to `retryLimit` attempts.
Outcome PollServer(const QString &ip, int retryLimit, QByteArray &readings)
{
    for (int attempt = 1; attempt <= retryLimit; ++attempt) {
        QByteArray identity;
        if (!ReadFromKV(ip, kDevicePort, PadWithNulls(DeviceCommand::Identify()), identity,
                        kFrameLength, ProgressForm::None, false)) {
            CloseWinSocket();
        } else {
            ParseMessage(DeviceCommand::Identify(), identity);
            SetMainHourglass(true);
            const bool read =
                ReadFromKV(ip, kDevicePort, PadWithNulls(DeviceCommand::ReadCurrentData()),
                           readings, kFrameLength, ProgressForm::None, true);
            SetMainHourglass(false);
            if (!Running()) {
                CloseWinSocket();
                return Outcome::ShutDown;
            }
            SetStatusMessage(QStringLiteral("Last download data at: "),
                             GeneralDateText(Clock::Now()));
            if (IsBusyReply(readings)) {
                CloseWinSocket();
                return Outcome::Busy;
            }
            if (read)
                return Outcome::Answered;
        }
        if (!PauseAfterFailure())
            return Outcome::ShutDown;
    }
    return Outcome::Failed;
}

bool IsLoggingModel(const QString &model)
{
    const QString lower = model.toLower();
    return lower.contains(QLatin1String("rk720")) || lower.contains(QLatin1String("rk715"));
}

// The due time of the daily e-mail: OKHour with AM or PM; none for an hour outside 1-12.
std::optional<QTime> DailyEmailTime()
{
    const int hour = Config().OKHour;
    if (hour < 1 || hour > 12)
        return std::nullopt;
    return QTime(hour % 12 + (Config().OKHourAMPM == 0 ? 0 : 12), 0);
}

void SendDailyEmailWhenDue()
{
    if (Config().SystemOKEmail != 1)
        return;
    const QDateTime now = Clock::Now();
    std::optional<QDateTime> last = ParseGeneralDate(ConfigText(Config().LastSystemOKEmail));
    if (g_lastDailyEmail && (!last || *last < *g_lastDailyEmail))
        last = g_lastDailyEmail;
    if (last) {
        const std::optional<QTime> due = DailyEmailTime();
        if (DayBoundariesBetween(*last, now) < 1 || !due || now.time() < *due)
            return;
        SendSytemOKEmail();
    }
    g_lastDailyEmail = now;
    Config().LastSystemOKEmail = GeneralDateText(now);
    SaveConfiguration();
}

} // namespace

int RetryLimit(qint16 communicationRetry)
{
    return communicationRetry >= 1 && communicationRetry <= 5 ? communicationRetry : 3;
}

void LogRoutine()
{
    QElapsedTimer elapsed;
    elapsed.start();
    const DatabaseCycle databaseCycle;
    const int retryLimit = RetryLimit(Config().CommunicationRetry);
    Recordset servers;
    qint32 count = 0;
    // The devices and their record files need no database: a list read before will do.
    if (RecordServers(servers, count))
        g_knownServers = servers;
    else if (g_knownServers.isEmpty())
        return;
    else
        servers = g_knownServers;

    // The rows share one layout: each column is found once per cycle, not once per server.
    const QSqlRecord layout = servers.value(0);
    const int enabledAt = layout.indexOf(QStringLiteral("Enabled"));
    const int idAt = layout.indexOf(QStringLiteral("IDNum"));
    const int ipAt = layout.indexOf(QStringLiteral("ServerIPAddress"));
    const int modelAt = layout.indexOf(QStringLiteral("ServerModel"));
    const int nameAt = layout.indexOf(QStringLiteral("ServerName"));
    const int emailAt = layout.indexOf(QStringLiteral("EmailAddress"));
    // The servers with a failure row open, read once per cycle at the first answer: only
    // they have a row to close, and the others then cost no write transaction.
    std::optional<QSet<qint32>> offline;
    for (const QSqlRecord &server : std::as_const(servers)) {
        if (server.value(enabledAt).toInt() != 1)
            continue;
        const qint32 id = server.value(idAt).toInt();
        const QString ip = server.value(ipAt).toString();
        const QString model = server.value(modelAt).toString();
        const QString name = server.value(nameAt).toString();
        const QString email = server.value(emailAt).toString();

        QByteArray readings;
        const Outcome outcome = PollServer(ip, retryLimit, readings);
        if (outcome == Outcome::ShutDown)
            return;
        QString error;
        if (outcome == Outcome::Answered &&
            ParseMessage(DeviceCommand::ReadCurrentData(), readings)) {
            ReplyDecodingState &decoded = Decoded();
            if (IsLoggingModel(model))
                AppendServerLogRecord(name, id, decoded.ChannelReadings, decoded.BatteryVoltage);
            // Logged, and the readings still go to the files, the grid and the alarms.
            if (!offline) {
                if (QSet<qint32> ids; ServersWithOpenFailures(ids))
                    offline = ids;
            }
            // Without the list every answering server closes its row as before.
            if ((!offline || offline->contains(id)) && !MarkServerBackOnline(id, error))
                RecordSystemError(QStringLiteral("Log Routine"), error + QLatin1Char(' ') + ip);
            CompareToEmailLimits(id, model, name, email);
        }

        const QString key = QStringLiteral("Communication with server ") + name +
                            QStringLiteral(" at IP address ") + ip;
        switch (outcome) {
        case Outcome::Busy:
            SetStatusMessage(key, QStringLiteral(": Is busy"));
            break;
        case Outcome::Answered:
            SetStatusMessage(key, QStringLiteral(": OK"));
            break;
        default:
            SetStatusMessage(key, QStringLiteral(": FAILED"));
            Decoded().ChannelReadings.fill(kNoDataReading);
            CompareToEmailLimits(id, model, name, email);
            if (!ReportServerNoResponse(id, qint16(retryLimit), error))
                RecordSystemError(QStringLiteral("Log Routine"), error + QLatin1Char(' ') + ip);
            break;
        }
    }

    if (ReadConfiguration())
        SendDailyEmailWhenDue();
    if (StatusGridView *grid = InstalledStatusGrid())
        grid->FillInGrids();
    SetStatusMessage(QStringLiteral("Communication Time: "),
                     QString::number(elapsed.elapsed() / 1000) + QStringLiteral(" seconds"));
    if (Config().PopUps == 1)
        NotifyAlarm();
}
