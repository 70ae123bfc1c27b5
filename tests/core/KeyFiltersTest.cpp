#include "KeyFilters.h"
#include "ScriptedPrompt.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(KeyFiltersTest, NumberAndDigitRules)
{
    const struct {
        int key, number, digits;
    } rows[] = {
        {'0', '0', '0'}, {'9', '9', '9'}, {'.', '.', 0},
        {'-', '-', 0},   {8, 8, 8}, // backspace
        {'a', 0, 0},     {13, 0, 0},      {'+', 0, 0},
        {',', 0, 0},     {0xB2, 0, 0}, // superscript 2
        {'/', 0, 0},     {':', 0, 0},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(KeyFilterNumber(row.key), row.number) << row.key;
        EXPECT_EQ(KeyFilterDigits(row.key), row.digits) << row.key;
    }
}

TEST(KeyFiltersTest, NameCharRefusesOnlyTheSlashesWithAMessage)
{
    ScriptedPrompt prompts;
    for (const char *key : {"65", "32", "8", "176"})
        EXPECT_EQ(KeyFilterNameChar(QLatin1String(key)), QByteArray(key).toInt());
    EXPECT_EQ(KeyFilterNameChar(u"92"_s), 0);
    EXPECT_EQ(KeyFilterNameChar(u"47"_s), 0);
    EXPECT_EQ(prompts.Texts(),
              (QStringList{u"\\ is an invalid character."_s, u"/ is an invalid character."_s}));
}
