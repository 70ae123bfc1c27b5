#include "PanelFields.h"

#include "DeviceCommands.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Page()
{
    QByteArray page = PadWithNulls(DeviceCommand::ReadPage(0));
    for (int i = 4; i < 60; ++i)
        page[i] = char(0xA0 + i); // bytes no field owns, all distinct
    return page;
}

QByteArray Hex(const QByteArray &page, int pos, int size)
{
    return page.mid(pos - 1, size).toHex(' ').toUpper();
}

} // namespace

// Text written into a field and read back, with the bytes it leaves.
TEST(PanelFieldsTest, ValuesRoundTripThroughTheirBytes)
{
    const struct {
        Codec codec;
        bool tenthsMode;
        QString typed, bytes, shown;
    } rows[] = {
        {Codec::Limit, true, u"12.5"_s, u"00 7D"_s, u"12.5"_s},
        {Codec::Limit, false, u"12.5"_s, u"00 0C"_s, u"12"_s}, // halves to even
        {Codec::Limit, false, u"13.5"_s, u"00 0E"_s, u"14"_s},
        {Codec::Limit, true, u".5"_s, u"00 05"_s, u".5"_s},
        {Codec::Limit, true, u"-.5"_s, u"FF FB"_s, u"-.5"_s},
        {Codec::Limit, true, u"0"_s, u"00 00"_s, u".0"_s},
        {Codec::Limit, true, u"-999.9"_s, u"D8 F1"_s, u"-999.9"_s},
        {Codec::Tenths, false, u"1.5"_s, u"00 0F"_s, u"1.5"_s},
        {Codec::Tenths, false, u"-1.5"_s, u"FF F1"_s, u"-1.5"_s},
        {Codec::Tenths, false, u"3276.7"_s, u"7F FF"_s, u"3276.7"_s},
        {Codec::Whole, true, u"-32768"_s, u"80 00"_s, u"-32768"_s},
        {Codec::Whole, false, u" 45 "_s, u"00 2D"_s, u"45"_s},
        {Codec::Byte, false, u"255"_s, u"FF"_s, u"255"_s},
        {Codec::Name, false, u"Cold \u00e9\"room\" 12345678901"_s,
         u"43 6F 6C 64 20 E9 22 72 6F 6F 6D 22 20 31 32 33 34 35 36 37"_s,
         u"Cold \u00e9\"room\" 1234567"_s},
        {Codec::Name, false, u" Freezer"_s,
         u"20 46 72 65 65 7A 65 72 20 20 20 20 20 20 20 20 20 20 20 20"_s, u"Freezer"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        const Field field{0, 9, u"box"_s, row.codec};
        ASSERT_TRUE(row.codec == Codec::Name || FieldValue(field, row.typed, row.tenthsMode));
        QByteArray page = Page();
        const QByteArray before = page;
        WriteField(page, field, row.typed, row.tenthsMode);
        const int size = int(row.bytes.size() + 1) / 3;
        EXPECT_EQ(Hex(page, 9, size), row.bytes.toLatin1());
        EXPECT_EQ(page.left(8) + page.mid(8 + size), before.left(8) + before.mid(8 + size));
        EXPECT_EQ(ShowField(page, field, row.tenthsMode), row.shown);
    }
}

TEST(PanelFieldsTest, ValuesAFieldCannotHoldAreRefused)
{
    const struct {
        Codec codec;
        bool tenthsMode;
        QString typed, range;
    } rows[] = {
        {Codec::Whole, false, u"40000"_s, u"from -32768 to 32767"_s},
        {Codec::Whole, false, u"-32769"_s, u"from -32768 to 32767"_s},
        {Codec::Limit, true, u"3276.8"_s, u"from -3276.8 to 3276.7"_s},
        {Codec::Limit, false, u"-"_s, u"from -32768 to 32767"_s},
        {Codec::Tenths, false, u"."_s, u"from -3276.8 to 3276.7"_s},
        {Codec::Tenths, false, u"inf"_s, u"from -3276.8 to 3276.7"_s},
        {Codec::Byte, false, u"300"_s, u"from 0 to 255"_s},
        {Codec::Byte, false, u"-1"_s, u"from 0 to 255"_s},
    };
    for (const auto &row : rows) {
        const Field field{0, 9, u"box"_s, row.codec};
        EXPECT_FALSE(FieldValue(field, row.typed, row.tenthsMode)) << row.typed.toStdString();
        EXPECT_EQ(FieldRangeText(field, row.tenthsMode), row.range);
    }
}

TEST(PanelFieldsTest, BlankBoxesKeepTheDeviceBytesUnlessTheyWriteZero)
{
    const QByteArray before = Page();
    QByteArray page = before;
    WriteField(page, {0, 9, u"box"_s, Codec::Limit}, u"  "_s, true);
    EXPECT_EQ(page, before);
    WriteField(page, {0, 9, u"box"_s, Codec::Tenths, 0, Shown::Always, Blank::WritesZero}, {},
               false);
    WriteField(page, {0, 11, u"box"_s, Codec::Byte, 0, Shown::Always, Blank::WritesZero}, {},
               false);
    EXPECT_EQ(Hex(page, 9, 3), "00 00 00");
}

TEST(PanelFieldsTest, NeverWrittenNamesReadBlank)
{
    EXPECT_EQ(
        ShowField(PadWithNulls(DeviceCommand::ReadPage(3)), {3, 9, u"n"_s, Codec::Name}, false),
        QString());
}

TEST(PanelFieldsTest, OptionPairsChooseByTheirFirstValue)
{
    const Field relay{0, 57, u"opt"_s, Codec::OptionByte, -1, Shown::Always, Blank::KeepsBytes,
                      0, 1};
    const Field buzzer{0, 58, u"opt"_s, Codec::OptionByte, -1, Shown::Always, Blank::KeepsBytes,
                       1, 0};
    const Field callout{11, 43, u"cmbo"_s, Codec::OptionWord};
    QByteArray page = Page();
    page[56] = 2;
    page[57] = 2;
    page[42] = 0;
    page[43] = 5;
    EXPECT_EQ(OptionElement(page, relay), 1);
    EXPECT_EQ(OptionElement(page, buzzer), 1);
    EXPECT_EQ(OptionElement(page, callout), 1);
    WriteOption(page, relay, 1);
    WriteOption(page, buzzer, 1);
    WriteOption(page, callout, 0);
    EXPECT_EQ(Hex(page, 57, 2), "01 00");
    EXPECT_EQ(Hex(page, 43, 2), "00 00");
    WriteOption(page, buzzer, 0);
    WriteOption(page, callout, 1);
    EXPECT_EQ(Hex(page, 58, 1), "01");
    EXPECT_EQ(Hex(page, 43, 2), "00 01");
}

TEST(PanelFieldsTest, PhoneNumbersKeepTheBytesAfterTheEndMarker)
{
    const struct {
        QString before; // the field's 20 bytes as hex, or empty for the distinct fill
        QString typed, bytes, shown;
    } rows[] = {
        {{}, {}, u"1C A9 AA AB"_s, {}},
        {{}, u"0*9"_s, u"00 1B 09 1C AC AD"_s, u"0*9"_s},
        {{},
         u"12345678901234567890"_s,
         u"01 02 03 04 05 06 07 08 09 00 01 02 03 04 05 06 07 08 09 00 BC"_s,
         u"12345678901234567890"_s},
        {u"05 0A 0C 05 1C 07"_s, {}, {}, u"55"_s}, // bytes other than 0-9, 27, 28 are skipped
    };
    for (const auto &row : rows) {
        QByteArray page = Page();
        if (!row.before.isEmpty()) {
            const QByteArray bytes = QByteArray::fromHex(row.before.toLatin1());
            page.replace(8, bytes.size(), bytes);
        } else {
            EncodePhoneNumber(page, 9, row.typed);
            const int size = int(row.bytes.size() + 1) / 3;
            EXPECT_EQ(Hex(page, 9, size), row.bytes.toLatin1()) << row.typed.toStdString();
            EXPECT_EQ(page.left(8), Page().left(8));
        }
        EXPECT_EQ(DecodePhoneNumber(page, 9), row.shown);
    }
    EXPECT_TRUE(IsPhoneNumber(u"*0123456789"_s));
    EXPECT_FALSE(IsPhoneNumber(u"555-1234"_s));
}

TEST(PanelFieldsTest, ListIndexesAndFixedWords)
{
    QByteArray page = Page();
    const QByteArray before = page;
    const Field list{0, 9, u"cmbo"_s, Codec::ListWord};
    WriteField(page, list, {}, false); // nothing selected
    EXPECT_EQ(page, before);
    WriteField(page, list, u"1"_s, false);
    EXPECT_EQ(Hex(page, 9, 2), "00 01");
    WriteField(page, {0, 11, {}, Codec::FixedWord, 0, Shown::Always, Blank::KeepsBytes, 99}, {},
               false);
    EXPECT_EQ(Hex(page, 9, 4), "00 01 00 63");
    EXPECT_EQ(page.mid(12), before.mid(12));
}
