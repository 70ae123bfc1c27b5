#include "TempProgramFolder.h"
#include "frmMain.h"

#include <QListWidget>

using frmMainTest = TempProgramFolder;

TEST_F(frmMainTest, StatusBoardReportsLandInTheWindowList)
{
    frmMain window;
    window.show();
    SetStatusMessage(QStringLiteral("Update Rate "), QStringLiteral("60 seconds"));
    SetStatusMessage(QStringLiteral("Connection "), QStringLiteral("closed"));
    SetStatusMessage(QStringLiteral("Update Rate "), QStringLiteral("delete"));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("lstStatus"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Connection closed"));
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral(" Rev ")));
}
