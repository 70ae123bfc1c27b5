#include "ModuleSetupProtocol.h"
#include "NetworkSettings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace discovery;

namespace {

TEST(ModuleSetupProtocol, MacTextFromByte25On)
{
    const QByteArray head(24, '\x7F');
    const struct {
        QByteArray reply;
        QString mac;
    } rows[] = {
        {head, {}},
        {head + QByteArray::fromHex("00204A0A3CFF"), u"00-20-4A-0A-3C-FF"_s},
        {head + QByteArray::fromHex("0A"), u"0A"_s},
        {QByteArray::fromHex("0102"), {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(FormatMac(row.reply), row.mac) << row.reply.toHex().toStdString();
}

TEST(ModuleSetupProtocol, SetupRecordKeepsItsLengthAndEveryOtherByte)
{
    QByteArray record;
    for (int k = 0; k < 120; ++k)
        record += char(0x80 + k);
    const std::optional<QByteArray> patched = PatchSetupRecord(record, {127, 77, 5, 9});
    ASSERT_TRUE(patched);
    ASSERT_EQ(patched->size(), record.size());
    QMap<int, int> changed;
    for (int k = 0; k < record.size(); ++k) {
        if (patched->at(k) != record.at(k))
            changed.insert(k + 1, uchar(patched->at(k)));
    }
    const QMap<int, int> expected{{2, 0x00}, {4, 0xC0},  {5, 127},   {6, 77},    {7, 5},
                                  {8, 9},    {21, 0x4C}, {22, 0x02}, {69, 0x4C}, {70, 0x02}};
    EXPECT_EQ(changed, expected);

    EXPECT_TRUE(PatchSetupRecord(record.left(70), {1, 2, 3, 4}));
    EXPECT_FALSE(PatchSetupRecord(record.left(69), {1, 2, 3, 4}));
}

TEST(ModuleSetupProtocol, ResetEchoesTheReplysLastTwoBytes)
{
    EXPECT_EQ(DhcpResetDatagram(QByteArray(28, '\x55') + "\xAB\xCD")->toHex(),
              "000000fc49502d5345545550"
              "0000"
              "abcd"
              "00000000");
    EXPECT_TRUE(DhcpResetDatagram("\xAB\xCD"));
    EXPECT_FALSE(DhcpResetDatagram("\x01"));
}

TEST(NetworkSettings, StandardDurationsAreTheModulesOwn)
{
    const Durations wait = StandardDurations();
    const std::chrono::milliseconds::rep ms[] = {
        wait.discoveryWait.count(), wait.setupRecordWait.count(), wait.restartWait.count(),
        wait.connectLimit.count(),  wait.udpSwitchWait.count(),   wait.identifyPause.count(),
        wait.identifyLimit.count(), wait.programLimit.count()};
    const std::chrono::milliseconds::rep expected[] = {2000, 3000, 8000, 5000, 100, 1, 6000, 5000};
    EXPECT_TRUE(std::equal(std::begin(ms), std::end(ms), std::begin(expected)));
}

} // namespace
