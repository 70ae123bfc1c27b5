#include "LineEditKeyFilter.h"
#include "ScriptedPrompt.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// One key event per character, as a keyboard sends them (QTest::keyClicks knows ASCII only).
TEST(LineEditKeyFilterTest, RefusedCharactersAreNotTyped)
{
    const struct {
        KeyRule rule;
        QString keys, typed;
    } rows[] = {
        {KeyRule::Digits, u"12a.-3 "_s, u"123"_s},
        {KeyRule::Number, u"-12a.5e"_s, u"-12.5"_s},
        {KeyRule::Number, u"1\u00bd"_s, u"1"_s}, // outside the code page: '?'
        {KeyRule::NameChar, u"Cold/Room\\ 2\u00e9"_s, u"ColdRoom 2\u00e9"_s},
        {KeyRule::PhoneNumber, u"*5a#.1-"_s, u"*51"_s},
        {KeyRule::RepeatCount, u"1*a2"_s, u"12"_s},
        {KeyRule::RepeatCount, u"7"_s, u"0"_s},
    };
    ScriptedPrompt prompts;
    for (const auto &row : rows) {
        QLineEdit box;
        box.installEventFilter(new LineEditKeyFilter(row.rule, &box));
        for (const QChar c : row.keys)
            QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        EXPECT_EQ(box.text(), row.typed);
    }
    EXPECT_EQ(prompts.Texts(),
              (QStringList{u"/ is an invalid character."_s, u"\\ is an invalid character."_s}));
}

TEST(LineEditKeyFilterTest, EditingAndNavigationKeysPass)
{
    QLineEdit box;
    box.installEventFilter(new LineEditKeyFilter(KeyRule::Digits, &box));
    QTest::keyClicks(&box, u"1234"_s);
    QTest::keyClick(&box, Qt::Key_Left);
    QTest::keyClick(&box, Qt::Key_Backspace); // removes the 3
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_Delete); // removes the 1
    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClicks(&box, u"x5"_s);
    EXPECT_EQ(box.text(), u"245"_s);
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_TRUE(box.text().isEmpty());
}

TEST(LineEditKeyFilterTest, RepeatCountTypesZeroForBackspace)
{
    QLineEdit box(u"2"_s);
    box.setMaxLength(1);
    box.installEventFilter(new LineEditKeyFilter(KeyRule::RepeatCount, &box));
    box.end(false);
    QTest::keyClick(&box, Qt::Key_Backspace); // the box is full: the "0" has no room
    EXPECT_EQ(box.text(), u"2"_s);
    box.selectAll();
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text(), u"0"_s);
}
