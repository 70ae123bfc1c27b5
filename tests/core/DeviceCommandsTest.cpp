#include "DeviceCommands.h"

#include <gtest/gtest.h>

namespace {
QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
} // namespace

TEST(DeviceCommands, PadWithNullsFillsTo60AndKeepsLongerFrames)
{
    const QByteArray request = PadWithNulls(DeviceCommand::Identify());
    ASSERT_EQ(request.size(), 60);
    EXPECT_EQ(request.left(4), Bytes({0x2A, 0xCD, 0xDC, 0xBA}));
    EXPECT_EQ(request.mid(4), QByteArray(56, '\0'));
    EXPECT_EQ(PadWithNulls(DeviceCommand::StoreClock().append('x')).mid(5), QByteArray(55, '\0'));
    const QByteArray longFrame(70, 'a');
    EXPECT_EQ(PadWithNulls(longFrame), longFrame);
}

TEST(DeviceCommands, HighByteHeadersStayByteForByte)
{
    EXPECT_EQ(DeviceCommand::ReadPage(13), Bytes({0xAA, 0xBB, 0xCC, 13}));
    EXPECT_EQ(DeviceCommand::ReadCurrentData(), Bytes({0x3F, 0xCD, 0xDC, 0x00}));
    EXPECT_EQ(DeviceCommand::StoreCredentials(), Bytes({0xF3, 0xFF, 0x00, 0xBC}));
    EXPECT_TRUE(IsBusyReply(PadWithNulls(Bytes({0xB5, 0x5E, 0xB5, 0x5E}))));
    EXPECT_FALSE(IsBusyReply(Bytes({0xB5, 0x5E, 0xB5})));
}

TEST(DeviceCommands, WordReaders)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        float be;
        float le;
    };
    const Case cases[] = {
        {"all ones", Bytes({0xFF, 0xFF}), -1, -1},
        {"lowest", Bytes({0x80, 0x00}), -32768, 128},
        {"highest", Bytes({0x7F, 0xFF}), 32767, -129},
        {"ten", Bytes({0x00, 0x0A}), 10, 2560},
        {"le highest", Bytes({0xFF, 0x7F}), -129, 32767},
        {"le lowest", Bytes({0x00, 0x80}), 128, -32768},
    };
    for (const Case &c : cases) {
        float be = 0, le = 0;
        EXPECT_TRUE(GetWordBE(c.bytes, 1, be)) << c.name;
        EXPECT_TRUE(GetWordLE(c.bytes, 1, le)) << c.name;
        EXPECT_EQ(be, c.be) << c.name;
        EXPECT_EQ(le, c.le) << c.name;
    }
    EXPECT_EQ(ReadDeviceUInt(Bytes({0xFF, 0xFF}), 1, 2), 65535);
    EXPECT_EQ(ReadDeviceInt(Bytes({0xFF, 0xFF}), 1, 2), -1);
    EXPECT_EQ(ReadDeviceInt(Bytes({0xFF, 0xFF}), 1, 1), 255);
    EXPECT_EQ(ReadDeviceUInt(Bytes({0xFF, 0xFF}), 2, 1), 255);
}

TEST(DeviceCommands, ReadsBeyondTheFrameGiveZeroOrFalse)
{
    const QByteArray frame(60, '\x01');
    float value = 7;
    EXPECT_FALSE(GetWordBE(frame, 60, value));
    EXPECT_FALSE(GetWordLE(frame, 60, value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(ReadDeviceInt(frame, 60, 2), 0);
    EXPECT_EQ(ReadDeviceUInt(frame, 61, 1), 0);
    EXPECT_EQ(ReadDeviceInt(frame, 60, 1), 1);
}

TEST(DeviceCommands, SplitWordRoundTripsSignedAndUnsigned)
{
    EXPECT_EQ(SplitWord(-5).hi, 255);
    EXPECT_EQ(SplitWord(-5).lo, 251);
    EXPECT_EQ(SplitWord(300).hi, 1);
    EXPECT_EQ(SplitWord(300).lo, 44);
    for (const qint32 v : {-32768, -1, 0, 1, 255, 256, 32767}) {
        const WordBytes w = SplitWord(v);
        EXPECT_EQ(ReadDeviceInt(Bytes({w.hi, w.lo}), 1, 2), v);
    }
    const WordBytes w = SplitWord(65535);
    EXPECT_EQ(ReadDeviceUInt(Bytes({w.hi, w.lo}), 1, 2), 65535);
}
