#include "DeviceModel.h"
#include "AlarmRecipients.h"

#include <gtest/gtest.h>

namespace {

// gates: C clock read, L data-log frame, H high/low download, P phone button, '-' none.
struct IdentityCase {
    const char *name;
    DeviceIdentity id;
    const char *model;
    bool unitsEnabled;
    PanelForm panel;
    const char *gates;
};

void PrintTo(const IdentityCase &c, std::ostream *out)
{
    *out << c.name;
}

class IdentityTable : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IdentityTable, GivesModelTextPanelAndGates)
{
    const IdentityCase &c = GetParam();
    const ModelDescription model = DescribeModel(c.id);
    EXPECT_EQ(model.text.toStdString(), c.model);
    EXPECT_EQ(model.unitsEnabled, c.unitsEnabled);
    EXPECT_EQ(PanelFor(c.id), c.panel);
    const ModelGates g = GatesFor(c.id);
    const std::string gates{g.readClock ? 'C' : '-', g.dataLogFrame ? 'L' : '-',
                            g.hiLoDownload ? 'H' : '-', g.phoneButton ? 'P' : '-'};
    EXPECT_EQ(gates, c.gates);
}

constexpr const char *kUnknown = "Server model could not be determined";
constexpr const char *kDialer = "Model QRB-RK710-7: ZARVOPHONE Alarm Dialer";
using enum PanelForm;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DeviceModel, IdentityTable,
    ::testing::Values(
        IdentityCase{"Family3Sub4", {3, 4, 1}, kUnknown, true, frmFinch, "CL--"},
        IdentityCase{"Family3SubNegative", {3, -2, 1}, kUnknown, true, frmFinch, "CL--"},
        IdentityCase{"Family3Sub6", {3, 6, 1}, kUnknown, true, frmFinch416, "CL--"},
        IdentityCase{"Family3Sub7", {3, 7, 1}, kUnknown, true, frmRK715, "CL--"},
        IdentityCase{"Family3Sub8", {3, 8, 1}, kUnknown, true, frmRK718, "CL--"},
        IdentityCase{"Family6Sub5", {6, 5, 1}, "Model QRB-RK815E: Coldvane", true, frmRK715, "CLHP"},
        IdentityCase{"Family6Sub6", {6, 6, 1}, "Model QRB-RK816E: Inputvane", false, frmRK816, "CL-P"},
        IdentityCase{"Family6Sub8", {6, 8, 1}, "Model QRB-RK818E: Rackvane", true, frmRK715, "CL-P"},
        IdentityCase{"Family6Sub10", {6, 10, 1}, kUnknown, true, frmRK715, "CLHP"},
        IdentityCase{"Family5Sub7Rev23", {5, 7, 23}, kDialer, true, frmRK715, "C---"},
        IdentityCase{"Family5Sub7Rev24", {5, 7, 24}, kDialer, true, frmRK715, "CL--"},
        IdentityCase{"Family5Sub10Rev24", {5, 10, 24}, kUnknown, true, frmRK715, "CL--"},
        IdentityCase{"Family5Sub5Rev22", {5, 5, 22}, kUnknown, true, frmRK715, "----"},
        IdentityCase{"Family5Sub5Rev23", {5, 5, 23}, kUnknown, true, frmRK715, "CL--"},
        IdentityCase{"Family5Sub8Rev12", {5, 8, 12}, kUnknown, true, frmRK718, "----"},
        IdentityCase{"Family5Sub8Rev13", {5, 8, 13}, kUnknown, true, frmRK718, "---P"},
        IdentityCase{"Family5Sub20Rev25", {5, 20, 25}, kUnknown, true, frmRK730, "C--P"},
        IdentityCase{"Family5Sub40", {5, 40, 1}, kUnknown, true, frmRK750, "----"},
        IdentityCase{"Family5Sub30", {5, 30, 1}, kUnknown, true, PanelForm::None, "----"},
        IdentityCase{"Family9Sub7", {9, 7, 30}, kUnknown, true, frmRK715, "----"}),
    [](const auto &info) { return std::string(info.param.name); });
// clang-format on

TEST(AlarmRecipients, StoredTextSplitsIntoEntriesAndJoinsBack)
{
    struct Case {
        QString stored;
        QStringList entries;
        QString rejoined;
    } cases[] = {
        {QStringLiteral("a@x.org,b@y.org,"),
         {QStringLiteral("a@x.org"), QStringLiteral("b@y.org")},
         QStringLiteral("a@x.org,b@y.org,")},
        {QStringLiteral("a@x.org,b@y.org"),
         {QStringLiteral("a@x.org"), QStringLiteral("b@y.org")},
         QStringLiteral("a@x.org,b@y.org,")},
        {QStringLiteral("a,,b,"),
         {QStringLiteral("a"), QString(), QStringLiteral("b")},
         QStringLiteral("a,,b,")},
        {QStringLiteral(" one "), {QStringLiteral(" one ")}, QStringLiteral(" one ,")},
        {QStringLiteral("x"), {QStringLiteral("x")}, QStringLiteral("x,")},
        {QString(), {}, QString()},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ParseAddressText(c.stored), c.entries) << c.stored.toStdString();
        EXPECT_EQ(JoinAddresses(c.entries), c.rejoined) << c.stored.toStdString();
    }
}

} // namespace
