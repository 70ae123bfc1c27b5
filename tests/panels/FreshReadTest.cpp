#include "PanelTest.h"

#include "AnsiText.h"
#include "FormControls.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

// The least a panel needs to upload by fresh reads: a limit on page 0, a name on page 2.
class FreshReadPanel : public PanelEngine {
public:
    FreshReadPanel() : PanelEngine(Tables(), nullptr)
    {
        txtLL = Named(new QLineEdit(this), u"txtLL(0)");
        txtName = Named(new QLineEdit(this), u"txtName(0)");
    }

    QLineEdit *txtLL;
    QLineEdit *txtName;

protected:
    void Form_Activate() override { GetLimits(); }
    QString FieldTitle(const Field &field) const override { return field.control; }

private:
    static PanelTables Tables()
    {
        PanelTables t;
        t.fields = {{0, 9, u"txtLL(0)"_s, Codec::Whole}, {2, 9, u"txtName(0)"_s, Codec::Name}};
        t.download = {{0}, {2}};
        t.upload = {{0, u"Failed to store the limits"_s}, {2}};
        t.freshRead = true;
        return t;
    }
};

} // namespace

class FreshReadTest : public PanelTest {};

TEST_F(FreshReadTest, EachPageIsReadAgainJustBeforeItIsStored)
{
    const QByteArray readLimits = DeviceCommand::ReadPage(0);
    const QByteArray readNames = DeviceCommand::ReadPage(2);
    const struct {
        const char *name;
        QByteArray failingRead; // made to fail after the download
        QStringList exchanges, lines;
    } rows[] = {
        {"both stored", {}, {u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s, u"DDCCBB02"_s}, {}},
        {"limits skipped",
         readLimits,
         {u"AABBCC00"_s, u"AABBCC02"_s, u"DDCCBB02"_s},
         {u"Failed to store the limits"_s, Incomplete()}},
        {"names skipped", readNames, {u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s}, {Incomplete()}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        for (QByteArray &page : device.pages)
            page = PadWithNulls(page.left(4)).replace(4, 56, QByteArray(56, 'u'));
        FreshReadPanel panel;
        Open(panel);
        // The device changes bytes the panel does not own after the download.
        device.pages[0][30] = 'D';
        device.pages[2][50] = 'D';
        const auto expected = [&] {
            auto pages = device.pages;
            if (row.failingRead != readLimits)
                pages[0].replace(8, 2, QByteArray::fromHex("0007"));
            if (row.failingRead != readNames)
                pages[2].replace(8, 20, FixedAnsi(u"Cold room"_s, 20));
            return pages;
        }();
        panel.txtLL->setText(u"7"_s);
        panel.txtName->setText(u"Cold room"_s);
        if (!row.failingRead.isEmpty())
            device.SetKnob(row.failingRead, Knob(FakeDevice::Behaviour::WrongEcho));
        const qsizetype first = device.Requests().size();
        const int connections = device.ConnectionCount();
        EXPECT_TRUE(panel.SaveLimits());
        // Read and store go over the one open connection.
        EXPECT_EQ(device.ConnectionCount(), connections);
        EXPECT_EQ(Headers(first), row.exchanges);
        EXPECT_EQ(device.pages, expected);
        EXPECT_EQ(Lines(panel), row.lines);
        EXPECT_TRUE(panel.lblStatus->isHidden());
    }
}
