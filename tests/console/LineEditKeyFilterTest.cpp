#include "LineEditKeyFilter.h"
#include "ScriptedPrompt.h"

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
    ScriptedPrompt prompts;
    EXPECT_EQ(Typed(KeyRule::Digits, QStringLiteral("12a.-3 ")), QStringLiteral("123"));
    EXPECT_EQ(Typed(KeyRule::Number, QStringLiteral("-12a.5e")), QStringLiteral("-12.5"));
    EXPECT_EQ(Typed(KeyRule::Number, QStringLiteral("1\u00bd")), QStringLiteral("1"));
    EXPECT_TRUE(prompts.Messages().isEmpty());

    EXPECT_EQ(Typed(KeyRule::NameChar, QStringLiteral("Cold/Room\\ 2\u00e9")),
              QStringLiteral("ColdRoom 2\u00e9"));
    EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("/ is an invalid character."),
                                            QStringLiteral("\\ is an invalid character.")}));
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
