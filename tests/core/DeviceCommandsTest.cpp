#include "DeviceCommands.h"

#include <gtest/gtest.h>

// The fake device answers from the same constants, so only this table catches a wrong one.
TEST(DeviceCommands, FramesArePaddedToSixtyAndHighByteHeadersStayByteForByte)
{
    namespace C = DeviceCommand;
    const std::pair<QByteArray, const char *> headers[] = {
        {C::Identify(), "2ACDDCBA"},        {C::ReadCurrentData(), "3FCDDC00"},
        {C::ReadPage(0), "AABBCC00"},       {C::ReadPage(13), "AABBCC0D"},
        {C::StorePage(), "DDCCBB"},         {C::FactoryDefaults(), "DEADDEAD"},
        {C::StoreClock(), "DECADE00"},      {C::ReadClock(), "DECADE02"},
        {C::DownloadDataLog(), "DECADE04"}, {C::DownloadHiLo(), "DECADE08"},
        {C::ReadCredentials(), "F355AABC"}, {C::StoreCredentials(), "F3FF00BC"},
        {C::BusyReply(), "B55EB55E"},
    };
    for (const auto &[header, hex] : headers)
        EXPECT_EQ(header, QByteArray::fromHex(hex)) << hex;
    const QByteArray request = PadWithNulls(DeviceCommand::Identify());
    EXPECT_EQ(request, QByteArray::fromHex("2ACDDCBA").append(56, '\0'));
    EXPECT_EQ(PadWithNulls(QByteArray(70, 'a')), QByteArray(70, 'a'));
    EXPECT_TRUE(IsBusyReply(PadWithNulls(QByteArray::fromHex("B55EB55E"))));
    EXPECT_FALSE(IsBusyReply(QByteArray::fromHex("B55EB5")));
}

// Positions count from 1; a field past the end of the frame reads as nothing.
TEST(DeviceCommands, WordsReadSignedBigOrLittleEndianAndNeverPastTheFrame)
{
    const struct {
        const char *hex;
        float be, le;
    } rows[] = {{"FFFF", -1, -1}, {"8000", -32768, 128}, {"7FFF", 32767, -129}, {"000A", 10, 2560}};
    for (const auto &row : rows) {
        float be = 0, le = 0;
        EXPECT_TRUE(GetWordBE(QByteArray::fromHex(row.hex), 1, be) &&
                    GetWordLE(QByteArray::fromHex(row.hex), 1, le));
        EXPECT_EQ(be, row.be) << row.hex;
        EXPECT_EQ(le, row.le) << row.hex;
    }
    const QByteArray ones = QByteArray::fromHex("FFFF");
    EXPECT_EQ(ReadDeviceUInt(ones, 1, 2), 65535);
    EXPECT_EQ(ReadDeviceInt(ones, 1, 2), -1);
    EXPECT_EQ(ReadDeviceInt(ones, 1, 1), 255);

    const QByteArray frame(60, '\x01');
    float value = 7;
    EXPECT_FALSE(GetWordBE(frame, 60, value) || GetWordLE(frame, 60, value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(ReadDeviceInt(frame, 60, 2), 0);
    EXPECT_EQ(ReadDeviceUInt(frame, 61, 1), 0);
    EXPECT_EQ(ReadDeviceInt(frame, 60, 1), 1);

    for (const qint32 v : {-32768, -5, 0, 300, 32767}) {
        const WordBytes w = SplitWord(v);
        EXPECT_EQ(ReadDeviceInt(QByteArray(1, char(w.hi)).append(char(w.lo)), 1, 2), v);
    }
    EXPECT_EQ(SplitWord(65535).hi, 255);
}
