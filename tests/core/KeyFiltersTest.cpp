#include "KeyFilters.h"
#include "ScriptedPrompt.h"

#include <gtest/gtest.h>

TEST(KeyFiltersTest, NumberAndDigitRules)
{
    struct Row {
        const char *name;
        int key;
        int number;
        int digits;
    };
    const Row rows[] = {
        {"7", '7', 55, 55},
        {"0", '0', 48, 48},
        {"9", '9', 57, 57},
        {"point", '.', 46, 0},
        {"minus", '-', 45, 0},
        {"backspace", 8, 8, 8},
        {"letter a", 'a', 0, 0},
        {"enter", 13, 0, 0},
        {"escape", 27, 0, 0},
        {"plus", '+', 0, 0},
        {"comma", ',', 0, 0},
        {"blank", ' ', 0, 0},
        {"superscript two", 0xB2, 0, 0},
        {"slash", '/', 0, 0},
        {"colon", ':', 0, 0},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(KeyFilterNumber(row.key), row.number) << row.name;
        EXPECT_EQ(KeyFilterDigits(row.key), row.digits) << row.name;
    }
}

TEST(KeyFiltersTest, NameCharRefusesOnlyTheSlashesWithAMessage)
{
    ScriptedPrompt prompts;
    EXPECT_EQ(KeyFilterNameChar(QStringLiteral("65")), 65);
    EXPECT_EQ(KeyFilterNameChar(QStringLiteral("32")), 32);
    EXPECT_EQ(KeyFilterNameChar(QStringLiteral("8")), 8);
    EXPECT_EQ(KeyFilterNameChar(QStringLiteral("176")), 176);
    EXPECT_TRUE(prompts.Messages().isEmpty());

    EXPECT_EQ(KeyFilterNameChar(QStringLiteral("92")), 0);
    EXPECT_EQ(KeyFilterNameChar(QStringLiteral("47")), 0);
    ASSERT_EQ(prompts.Messages().size(), 2);
    EXPECT_EQ(prompts.Messages()[0].text, QStringLiteral("\\ is an invalid character."));
    EXPECT_EQ(prompts.Messages()[1].text, QStringLiteral("/ is an invalid character."));
    EXPECT_EQ(prompts.Messages()[1].buttons, Prompt::Buttons::Ok);
    EXPECT_EQ(prompts.Messages()[1].icon, Prompt::Icon::None);
}
