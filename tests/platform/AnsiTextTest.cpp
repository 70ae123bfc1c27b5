#include "AnsiText.h"

#include <gtest/gtest.h>

// The code page's 0x80-0x9F holds signs, except five codes it leaves undefined.
TEST(AnsiText, BytesAndCharactersBothWays)
{
    const struct {
        unsigned char byte;
        char16_t ch;
    } rows[] = {{'A', u'A'},    {0x7F, 0x7F},   {0x80, 0x20AC}, {0x81, 0x81},
                {0x8A, 0x0160}, {0x9F, 0x0178}, {0xA0, 0xA0},   {0xFF, 0xFF}};
    for (const auto &row : rows) {
        const QByteArray bytes(1, char(row.byte));
        EXPECT_EQ(FromAnsi(bytes), QString(QChar(row.ch))) << int(row.byte);
        EXPECT_EQ(ToAnsi(QString(QChar(row.ch))), bytes) << int(row.byte);
    }
    EXPECT_EQ(ToAnsi(QStringLiteral("\u4e00\u00bd")), QByteArray("?\xbd"));
}
