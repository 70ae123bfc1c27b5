#include "AlertPopup.h"
#include "WindowsColour.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(WindowsColour, ValuesAreBlueGreenRedFromHighToLow)
{
    EXPECT_EQ(WindowsColour(0x7CFC00), QColor(0x00, 0xFC, 0x7C));
    EXPECT_EQ(WindowsColour(255), QColor(Qt::red));
    EXPECT_EQ(WindowsColour(65280), QColor(Qt::green));
    EXPECT_EQ(WindowsColourValue(QColor(175, 185, 215)), 175 + 256 * 185 + 65536 * 215);
}

TEST(AlertPopup, ShowsTheTextAndGoesAwayByItselfEvenWithoutSound)
{
    AlertPopup popup;
    popup.SetSoundFile(QStringLiteral(VANTREL_SOURCE_DIR "/data/ding.wav"));
    popup.SetDisplayTime(50);
    popup.SetBackColour(175 + 256 * 185 + 65536 * 215);
    popup.Show(QStringLiteral("There is a temperature alarm.\rSecond line"));
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.Text(), QStringLiteral("There is a temperature alarm.\nSecond line"));
    EXPECT_TRUE(popup.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(popup.palette().color(QPalette::Window), QColor(175, 185, 215));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popup.isVisible(); }, 2000));
}
