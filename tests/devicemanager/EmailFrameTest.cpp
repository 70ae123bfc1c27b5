#include "DeviceManagerFixture.h"

#include "ConfigRecord.h"
#include "Mail.h"
#include "SmtpServer.h"

#include <QScopeGuard>

namespace {

class EmailFrameTest : public DeviceManagerFixture {
protected:
    void SetUp() override
    {
        DeviceManagerFixture::SetUp();
        id = Add(QStringLiteral("Lab"), UnusedLoopbackAddress(), -1,
                 QStringLiteral("a@x.org,,b@y.org,"));
        Open();
    }

    void OpenFrame()
    {
        Click(Node(2));
        QTest::mouseClick(screen->btnServerEmailAddresses, Qt::LeftButton);
    }

    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < screen->lstEmailAddr->count(); ++i)
            entries << screen->lstEmailAddr->item(i)->text();
        return entries;
    }

    QString Stored() const
    {
        QVariant value;
        GetServerField(id, QStringLiteral("tblServers"), QStringLiteral("EmailAddress"), value);
        return value.toString();
    }

    void AddAddress(const QString &address)
    {
        screen->txtEmailAddr->setText(address);
        QTest::mouseClick(screen->btnAddEmail, Qt::LeftButton);
    }

    void RightClickEntry(int row)
    {
        const QRect rect = screen->lstEmailAddr->visualItemRect(screen->lstEmailAddr->item(row));
        QTest::mousePress(screen->lstEmailAddr->viewport(), Qt::RightButton, {}, rect.center());
    }

    qint32 id = 0;
};

TEST_F(EmailFrameTest, AddsStoresRemovesAndRefillsTheList)
{
    OpenFrame();
    screen->mnuAdd->trigger();
    EXPECT_TRUE(Entries().isEmpty());
    QTest::mouseClick(screen->btnServerEmailAddresses, Qt::LeftButton);
    EXPECT_EQ(Messages(), QStringList(QStringLiteral(
                              "Please save the new server before adding email addresses.")));
    EXPECT_TRUE(LevelWithTree(screen->frmSetup0));
    EXPECT_FALSE(screen->frmSetup2->isVisible());

    OpenFrame();
    EXPECT_TRUE(LevelWithTree(screen->frmSetup2));
    EXPECT_FALSE(screen->frmSetup0->isVisible());
    EXPECT_EQ(screen->frmSetup2->title(), QStringLiteral("Add email addresses for: Lab"));
    EXPECT_EQ(Entries(),
              QStringList({QStringLiteral("a@x.org"), QString(), QStringLiteral("b@y.org")}));

    for (const char *refused : {"no-at.example", "no-dot@example", ""}) {
        AddAddress(QString::fromLatin1(refused));
        EXPECT_EQ(Messages().last(), QStringLiteral("Please verify email address.  This email "
                                                    "address does not seem valid."));
        EXPECT_EQ(screen->txtEmailAddr->text(), QString::fromLatin1(refused));
    }
    EXPECT_EQ(Stored(), QStringLiteral("a@x.org,,b@y.org,"));

    // Only a selected entry is removed: not the current one, nor the one after a removal.
    screen->lstEmailAddr->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QTest::mouseClick(screen->btnDeleteEmailAddress, Qt::LeftButton);
    EXPECT_EQ(Entries().size(), 3);
    // A removal is stored with the next add, which stores the whole list.
    screen->lstEmailAddr->setCurrentRow(0);
    QTest::mouseClick(screen->btnDeleteEmailAddress, Qt::LeftButton);
    QTest::mouseClick(screen->btnDeleteEmailAddress, Qt::LeftButton);
    EXPECT_EQ(Entries(), QStringList({QString(), QStringLiteral("b@y.org")}));
    EXPECT_EQ(Stored(), QStringLiteral("a@x.org,,b@y.org,"));
    AddAddress(QStringLiteral(".odd@"));
    EXPECT_EQ(screen->txtEmailAddr->text(), QString());
    EXPECT_EQ(Stored(), QStringLiteral(",b@y.org,.odd@,"));

    // The right button removes the entry under the pointer, not the selected one.
    screen->lstEmailAddr->setCurrentRow(0);
    Answer({Prompt::Answer::No});
    RightClickEntry(2);
    EXPECT_EQ(Entries().size(), 3);
    Answer({Prompt::Answer::Yes});
    RightClickEntry(2);
    EXPECT_EQ(prompt->Messages().first().text, QStringLiteral("Remove this email address?"));
    EXPECT_EQ(prompt->Messages().first().buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(Entries(), QStringList({QString(), QStringLiteral("b@y.org")}));
    QTest::mouseClick(screen->btnDeleteEmailAddress, Qt::LeftButton);
    EXPECT_EQ(Entries().size(), 2);

    // Unsaved, the removal is lost when the frame is filled again.
    QTest::mouseClick(screen->btnCloseEmailFrame, Qt::LeftButton);
    EXPECT_TRUE(screen->frmSetup0->isVisible());
    EXPECT_FALSE(screen->frmSetup2->isVisible());
    QTest::mouseClick(screen->btnServerEmailAddresses, Qt::LeftButton);
    EXPECT_EQ(Entries().size(), 3);

    // Save stores the list as it stands.
    screen->lstEmailAddr->setCurrentRow(0);
    QTest::mouseClick(screen->btnDeleteEmailAddress, Qt::LeftButton);
    QTest::mouseClick(screen->btnSaveEmail, Qt::LeftButton);
    EXPECT_EQ(Stored(), QStringLiteral("b@y.org,.odd@,"));
}

TEST_F(EmailFrameTest, TestSendsToTheSelectedAddressAndAlwaysFreesItsButton)
{
    SmtpServer &server = SmtpServer::Shared();
    ASSERT_TRUE(server.IsRunning()) << server.StartError().toStdString();
    server.Clear();
    Config().SMTPHost = QStringLiteral("127.0.0.1");
    Config().SMTPPort = qint16(server.Port(QStringLiteral("noauth")));
    Config().SMTPTimeOut = 5;
    Config().FromAddress = QStringLiteral("station@example.org");
    ConfigureMailServer();
    const auto disconnect = qScopeGuard([] { TheMailClient().CloseConnection(); });
    OpenFrame();

    QTest::mouseClick(screen->btnTestEmailAddr, Qt::LeftButton);
    screen->lstEmailAddr->setCurrentRow(1);
    QTest::mouseClick(screen->btnTestEmailAddr, Qt::LeftButton);
    screen->lstEmailAddr->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    screen->lstEmailAddr->clearSelection();
    QTest::mouseClick(screen->btnTestEmailAddr, Qt::LeftButton);
    EXPECT_EQ(Messages(), QStringList(3, QStringLiteral("Select an address to send a test message "
                                                        "to and then click Test button.")));
    EXPECT_TRUE(server.Messages().isEmpty());

    screen->lstEmailAddr->setCurrentRow(2);
    QTest::mouseClick(screen->btnTestEmailAddr, Qt::LeftButton);
    EXPECT_EQ(Messages().last(), QStringLiteral("Email successfully sent to b@y.org"));
    ASSERT_EQ(server.Messages().size(), 1);
    EXPECT_EQ(server.Messages().first().rcptTos, QStringList(QStringLiteral("b@y.org")));
    EXPECT_TRUE(screen->btnTestEmailAddr->isEnabled());

    Config().SMTPPort = qint16(SmtpServer::ClosedPort());
    ConfigureMailServer();
    QTest::mouseClick(screen->btnTestEmailAddr, Qt::LeftButton);
    EXPECT_TRUE(Messages().last().startsWith(
        QStringLiteral("Email was not successfully sent to b@y.org the error is ")))
        << Messages().last().toStdString();
    EXPECT_TRUE(Messages().last().contains(QStringLiteral("Couldn't connect")));
    EXPECT_TRUE(screen->btnTestEmailAddr->isEnabled());
    EXPECT_EQ(server.Messages().size(), 1);
}

} // namespace
