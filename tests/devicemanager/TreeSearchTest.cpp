#include "DeviceManagerFixture.h"

#include <QAction>
#include <QMenu>

namespace {

class ServerTreeTest : public DeviceManagerFixture {
protected:
    QImage Picture(int index) const { return Node(index)->icon(0).pixmap(16, 16).toImage(); }

    QStringList States() const
    {
        return Rows(
            QStringLiteral("SELECT ServerName, Enabled, Comm FROM tblServers ORDER BY IDNum"));
    }

    // Right-clicks the node and chooses the pop-up's enable/disable entry; gives its caption.
    QString EnableDisable(int index)
    {
        RightClick(Node(index));
        const QString caption = screen->mnuEnableDisable->text();
        EXPECT_TRUE(screen->mnuPopUp->isVisible());
        screen->mnuPopUp->hide();
        screen->mnuEnableDisable->trigger();
        return caption;
    }

    void Search(const char *typed)
    {
        QTest::mouseClick(screen->txtSearchCriteria, Qt::LeftButton);
        QTest::keyClicks(screen->txtSearchCriteria, QString::fromUtf8(typed));
        QTest::keyClick(screen->txtSearchCriteria, Qt::Key_Return);
    }

    QList<int> BoldNodes() const
    {
        QList<int> bold;
        for (int i = 1; i <= Node(1)->childCount() + 1; ++i)
            if (Node(i)->font(0).bold())
                bold << i;
        return bold;
    }
};

TEST_F(ServerTreeTest, ListsServersInNameOrderAndSearchesByFirstCharacter)
{
    const QString ip[] = {UnusedLoopbackAddress(), UnusedLoopbackAddress(),
                          UnusedLoopbackAddress()};
    Add(QStringLiteral("Alpha"), ip[0]);
    Add(QStringLiteral("Bravo"), ip[1], 0);
    Add(QStringLiteral("alarm"), ip[2]);
    Open();
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Vantrel Setup"));
    EXPECT_EQ(NodeTexts(), QStringList({QStringLiteral("Available Zarvo Devices"),
                                        QStringLiteral("alarm                @ IP ") + ip[2],
                                        QStringLiteral("Alpha                @ IP ") + ip[0],
                                        QStringLiteral("Bravo                @ IP ") + ip[1]}));
    EXPECT_EQ(Picture(2), Picture(1));
    EXPECT_EQ(Picture(3), Picture(1));
    EXPECT_NE(Picture(4), Picture(1));

    Click(Node(3));
    EXPECT_EQ(screen->CurrentServerID(), 1);
    EXPECT_EQ(BoldNodes(), QList<int>{3});
    Click(Node(1));
    EXPECT_EQ(screen->CurrentServerID(), -1);
    EXPECT_EQ(screen->CurrentFrame(), -1);

    // The design text and an empty box search nothing.
    screen->txtSearchCriteria->setText(QStringLiteral("Search Criteria"));
    screen->FindServer();
    screen->txtSearchCriteria->clear();
    screen->FindServer();
    screen->btnFindNext_Click();
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_FALSE(screen->btnFindNext->isEnabled());

    // Typing over the design text leaves only what was typed; Shift, a move away and
    // another mouse button type nothing.
    screen->txtSearchCriteria->setText(QStringLiteral("Search Criteria"));
    for (const Qt::Key key : {Qt::Key_Shift, Qt::Key_Tab, Qt::Key_Backtab})
        QTest::keyClick(screen->txtSearchCriteria, key);
    QTest::mouseClick(screen->txtSearchCriteria, Qt::MiddleButton);
    EXPECT_EQ(screen->txtSearchCriteria->text(), QStringLiteral("Search Criteria"));
    QTest::keyClicks(screen->txtSearchCriteria, QStringLiteral("A"));
    EXPECT_EQ(screen->txtSearchCriteria->text(), QStringLiteral("A"));
    QTest::keyClick(screen->txtSearchCriteria, Qt::Key_Return);
    EXPECT_EQ(screen->ServerTree->currentItem(), Node(2));
    EXPECT_EQ(BoldNodes(), QList<int>{2});
    EXPECT_TRUE(screen->btnFindNext->isEnabled());
    QTest::mouseClick(screen->btnFindNext, Qt::LeftButton);
    EXPECT_EQ(screen->ServerTree->currentItem(), Node(3));
    EXPECT_EQ(BoldNodes(), QList<int>{3});
    QTest::mouseClick(screen->btnFindNext, Qt::LeftButton);
    EXPECT_EQ(Messages(),
              QStringList(QStringLiteral(
                  "No additional servers have been found with the search criteria 'A'")));
    EXPECT_FALSE(screen->btnFindNext->isEnabled());
    // Neither search makes a server current.
    EXPECT_EQ(screen->CurrentServerID(), -1);

    Search("b");
    EXPECT_EQ(screen->ServerTree->currentItem(), Node(4));
    // A click un-bolds every node, the last one too.
    Click(Node(2));
    EXPECT_EQ(BoldNodes(), QList<int>{2});
    // Find Next goes on from the selected node (the root too) to the last one, and hides
    // the frame shown.
    screen->mnuAdd->trigger();
    QTest::mouseClick(screen->btnFindNext, Qt::LeftButton);
    EXPECT_EQ(screen->ServerTree->currentItem(), Node(4));
    EXPECT_FALSE(screen->frmSetup0->isVisible());
    screen->txtSearchCriteria->setText(QStringLiteral("a"));
    Click(Node(1));
    QTest::mouseClick(screen->btnFindNext, Qt::LeftButton);
    EXPECT_EQ(screen->ServerTree->currentItem(), Node(2));
    Search("Zulu");
    EXPECT_EQ(Messages().last(),
              QStringLiteral("No servers has been found with the search criteria 'Zulu'"));
    EXPECT_FALSE(screen->btnFindNext->isEnabled());
}

TEST_F(ServerTreeTest, AnEmptyDatabaseGivesTheRootAloneAndFindsNothing)
{
    Open();
    EXPECT_EQ(NodeTexts(), QStringList(QStringLiteral("Available Zarvo Devices")));
    Search("A");
    EXPECT_EQ(Messages(), QStringList(QStringLiteral(
                              "No servers has been found with the search criteria 'A'")));
    RightClick(Node(1));
    EXPECT_FALSE(screen->mnuPopUp->isVisible());
    EXPECT_EQ(screen->mnuEnableDisable->text(), QString());
}

TEST_F(ServerTreeTest, ShowsItsFixedTexts)
{
    Open();
    QStringList shown;
    for (const QWidget *widget : screen->findChildren<QWidget *>()) {
        shown << widget->toolTip();
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            shown << label->text();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            shown << button->text();
        else if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
            shown << frame->title();
        for (const QAction *action : widget->actions())
            shown << action->text();
    }
    for (const QAction *action : screen->mnuEdit->actions())
        shown << action->text();
    const char *texts[] = {"Server Name:",
                           "IP Address:",
                           "Server Model:",
                           "Notes:",
                           "Password:",
                           "Temperature Display Units:",
                           "Enable this Device",
                           "Save",
                           "Close",
                           "Refresh",
                           "Alarm Email Addresses",
                           "Test Communications",
                           "Restore Factory Defaults",
                           "Phone",
                           "Program all phone parameters",
                           "Email List",
                           "Send an email to: ",
                           "Add",
                           "Delete",
                           "Test",
                           "On-Board Data Log Parameters",
                           "Find Next",
                           "Find next server that matches search criteria",
                           "Enter search criteria to find specific server",
                           "Add New Server",
                           "Server",
                           "Sensors",
                           "Edit Server",
                           "Edit Sensors",
                           "Delete Server"};
    for (const char *text : texts)
        EXPECT_TRUE(shown.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(screen->txtSearchCriteria->text(), QStringLiteral("Search Criteria"));
    EXPECT_EQ(screen->txtModel->text(), QStringLiteral("Server model could not be determined"));
    EXPECT_EQ(screen->cmboUnits->itemText(0), QStringLiteral("\u00B0F"));
    EXPECT_EQ(screen->cmboUnits->itemText(1), QStringLiteral("\u00B0C"));
    for (QWidget *frame :
         {static_cast<QWidget *>(screen->frmSetup0), static_cast<QWidget *>(screen->frmSetup2),
          static_cast<QWidget *>(screen->frmDateTime), static_cast<QWidget *>(screen->btnMore)})
        EXPECT_FALSE(frame->isVisible()) << frame->objectName().toStdString();
}

TEST_F(ServerTreeTest, ThePopUpEnablesAndDisablesTheServerUnderThePointer)
{
    Add(QStringLiteral("Alpha"), UnusedLoopbackAddress());
    Add(QStringLiteral("Bravo"), UnusedLoopbackAddress(), 0);
    Open();
    const QImage inCommunication = Picture(2);

    EXPECT_EQ(EnableDisable(2), QStringLiteral("Disable Server"));
    EXPECT_EQ(States(), QStringList({QStringLiteral("ServerName=Alpha|Enabled=0|Comm=0"),
                                     QStringLiteral("ServerName=Bravo|Enabled=1|Comm=0")}));
    EXPECT_NE(Picture(2), inCommunication);
    EXPECT_EQ(EnableDisable(2), QStringLiteral("Enable Server"));
    EXPECT_EQ(Picture(2), inCommunication);

    // Alpha clicked first: the pop-up of Bravo acts on Bravo, not on Alpha.
    Click(Node(2));
    EXPECT_EQ(EnableDisable(3), QStringLiteral("Enable Server"));
    EXPECT_EQ(States(), QStringList({QStringLiteral("ServerName=Alpha|Enabled=1|Comm=-1"),
                                     QStringLiteral("ServerName=Bravo|Enabled=1|Comm=-1")}));
    Click(Node(2));
    EXPECT_EQ(EnableDisable(3), QStringLiteral("Disable Server"));
    EXPECT_EQ(States(), QStringList({QStringLiteral("ServerName=Alpha|Enabled=1|Comm=-1"),
                                     QStringLiteral("ServerName=Bravo|Enabled=0|Comm=0")}));
}

} // namespace
