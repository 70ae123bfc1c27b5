#include "DiscoveryFixture.h"

#include <QApplication>
#include <QTimer>

namespace {

// The program as its main starts it, on a loopback network: it comes up, sends nothing on
// its own, and quits once its window closes.
TEST(QrbIpSetupSmoke, OpensWithoutSearchingAndQuitsOnClose)
{
    FakeModule module;
    ASSERT_TRUE(module.Listen(TestModulePort()));
    QApplication::setQuitOnLastWindowClosed(false);
    ProgramInfo::SetTitle(u"QRB IP Setup"_s);
    ScriptedPrompt prompt;
    frmMain window(LoopbackNetwork());
    window.Form_Load();
    QTimer::singleShot(300, &window, &QWidget::close);
    EXPECT_EQ(QApplication::exec(), 0);
    QApplication::setQuitOnLastWindowClosed(true);
    EXPECT_EQ(window.windowTitle(), u"QRB IP Address Setup 4.2.4"_s);
    EXPECT_EQ(window.txtDebug->text(),
              u"Click the large button to find all of the Zarvo devices on the network"_s);
    EXPECT_TRUE(module.datagrams.isEmpty());
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

} // namespace
