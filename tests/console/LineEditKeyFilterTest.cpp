#include "LineEditKeyFilter.h"
#include "PromptRecorder.h"
#include "WindowsColour.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// One key event per character, as a keyboard sends them (QTest::keyClicks knows ASCII only).
QString Typed(KeyRule rule, const QString &keys)
{
    QLineEdit box;
    box.installEventFilter(new LineEditKeyFilter(rule, &box));
    for (const QChar c : keys)
        QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    return box.text();
}

} // namespace

TEST(LineEditKeyFilterTest, RefusedCharactersAreNotTyped)
{
    PromptRecorder prompts;
    EXPECT_EQ(Typed(KeyRule::Digits, QStringLiteral("12a.-3 ")), QStringLiteral("123"));
    EXPECT_EQ(Typed(KeyRule::Number, QStringLiteral("-12a.5e")), QStringLiteral("-12.5"));
    EXPECT_EQ(Typed(KeyRule::Number, QStringLiteral("1\u00bd")), QStringLiteral("1"));
    EXPECT_TRUE(prompts.messages.isEmpty());

    EXPECT_EQ(Typed(KeyRule::NameChar, QStringLiteral("Cold/Room\\ 2\u00e9")),
              QStringLiteral("ColdRoom 2\u00e9"));
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("/ is an invalid character."));
    EXPECT_EQ(prompts.messages[1].text, QStringLiteral("\\ is an invalid character."));
}

TEST(LineEditKeyFilterTest, EditingAndNavigationKeysPass)
{
    QLineEdit box;
    box.installEventFilter(new LineEditKeyFilter(KeyRule::Digits, &box));
    QTest::keyClicks(&box, QStringLiteral("1234"));
    QTest::keyClick(&box, Qt::Key_Left);
    QTest::keyClick(&box, Qt::Key_Backspace); // removes the 3
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_Delete); // removes the 1
    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClicks(&box, QStringLiteral("x5"));
    EXPECT_EQ(box.text(), QStringLiteral("245"));

    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_TRUE(box.text().isEmpty());
}

TEST(WindowsColourTest, LowByteIsRed)
{
    EXPECT_EQ(WindowsColour(255), QColor(255, 0, 0));
    EXPECT_EQ(WindowsColour(65280), QColor(0, 255, 0));
    EXPECT_EQ(WindowsColour(0xE0E0E0), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(WindowsColour(0x7CFC00), QColor(0x00, 0xFC, 0x7C));
    EXPECT_EQ(WindowsColour(0xFF0000), QColor(0, 0, 255));
}
