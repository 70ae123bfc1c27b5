#pragma once

#include "AlarmEvaluation.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "DesktopAlert.h"
#include "DeviceLinkFixture.h"
#include "FakeDevice.h"
#include "Mail.h"
#include "Polling.h"
#include "RecordLayouts.h"
#include "ServerDatabase.h"
#include "SmtpServer.h"
#include "StatusGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

inline const QString kDegF = u"\u00B0F"_s;

class RecordingAlert final : public DesktopAlert {
public:
    void SetBackColour(int) override {}
    void SetTitleColour(int) override {}
    void SetTextColour(int) override {}
    void SetPicture(const QString &) override {}
    void SetSoundFile(const QString &path) override { sound = path; }
    void SetDisplayTime(int) override {}
    void Show(const QString &text) override { shown.append(text); }

    QString sound;
    QStringList shown;
};

class PollingTest : public DeviceLinkFixture {
protected:
    void SetUp() override
    {
        DeviceLinkFixture::SetUp();
        ASSERT_TRUE(m_smtp.IsRunning()) << m_smtp.StartError().toStdString();
        ASSERT_TRUE(a.Listen() && b.Listen() && c.Listen());
        m_smtp.Clear();
        ResetPollingState();
        InstallStatusGrid(&grid);
        Clock::SetFixed(m_now);
        Config().FromAddress = u"station@example.org"_s;
        Config().ServerFailureEmailAddress = u"admin@example.org"_s;
        Config().OrgName = u"Cold Store Ltd"_s;
        Config().SMTPHost = u"127.0.0.1"_s;
        Config().SMTPPort = qint16(m_smtp.Port(u"plain"_s));
        Config().SMTPTimeOut = 5;
        Config().AuthenticationMethod = u"NONE"_s;
        Config().CommunicationRetry = 1;
        SaveSettings();
    }

    void TearDown() override
    {
        TheMailClient().CloseConnection();
        ResetPollingState();
        DeviceLinkFixture::TearDown();
    }

    // Every cycle re-reads the settings file: what a test sets must be in it.
    void SaveSettings()
    {
        SetupCrypt();
        ASSERT_TRUE(SaveConfiguration());
        ConfigureMailServer();
    }

    qint32 AddServerAt(const FakeDevice &device, const QString &name, const QString &model,
                       const QString &email = u"ops@example.org,"_s)
    {
        EXPECT_TRUE(AddServer(name, model, device.Address(), QString(), 1, QString(), email, -1));
        return LastId(u"tblServers"_s);
    }

    qint32 AddSensor(qint32 serverId, const QString &name, qint16 port,
                     const QString &upper = u"80"_s, const QString &lower = u"50"_s,
                     const QString &type = u"Temperature"_s)
    {
        EXPECT_TRUE(SaveSensorRecord(serverId, name, port, QString(), type, upper, lower, u"0"_s));
        return LastId(u"tblSensors"_s);
    }

    int RowOf(qint32 sensorId) const
    {
        for (int row = 1; row < grid.RowCount(); ++row)
            if (grid.Cell(row, StatusColumn::SensorID) == QString::number(sensorId))
                return row;
        return -1;
    }

    QString Cell(qint32 sensorId, int column) const { return grid.Cell(RowOf(sensorId), column); }

    // "ops" or "admin"
    QList<ReceivedMail> MailsTo(const char *user) const
    {
        QList<ReceivedMail> mails;
        for (const ReceivedMail &mail : m_smtp.Messages())
            if (mail.rcptTos.contains(QLatin1String(user) + "@example.org"_L1))
                mails.append(mail);
        return mails;
    }

    void AdvanceClock(int minutes)
    {
        m_now = m_now.addSecs(60 * minutes);
        Clock::SetFixed(m_now);
    }

    FakeDevice a, b, c;
    PlainStatusGrid grid{6};
    SmtpServer &m_smtp = SmtpServer::Shared();
    QDateTime m_now{QDate(2026, 3, 1), QTime(9, 0)};
};
