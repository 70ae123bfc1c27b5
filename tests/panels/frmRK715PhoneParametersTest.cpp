#include "PanelTest.h"

#include "frmRK715PhoneParameters.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

void Put(QByteArray &page, int pos, const QByteArray &bytes)
{
    page.replace(pos - 1, bytes.size(), bytes);
}

} // namespace

class frmRK715PhoneParametersTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        // Distinct bytes everywhere, then fields the checks accept.
        for (int n = 8; n <= 13; ++n) {
            for (int i = 4; i < 60; ++i)
                device.pages[n][i] = char(0x41 + (n * 11 + i * 7) % 58);
        }
        Put(device.pages[8], 9, QByteArray::fromHex("05 05 05 01 02 03 1C"));
        Put(device.pages[8], 29, QByteArray::fromHex("1B 09 1C"));
        Put(device.pages[8], 49, QByteArray::fromHex("0004 0078 4142 0384"));
        Put(device.pages[9], 9, QByteArray::fromHex("05 0C 05 1C"));
        Put(device.pages[9], 29, QByteArray::fromHex("1C"));
        Put(device.pages[10], 9, QByteArray::fromHex("00 00 07 1C"));
        Put(device.pages[10], 37,
            QByteArray::fromHex("01 02 03 04 05 06 07 08 09 00 "
                                "01 02 03 04 05 06 07 08 09 00"));
        Put(device.pages[11], 41, QByteArray::fromHex("0002 0001 000F"));
        Put(device.pages[12], 27, QByteArray::fromHex("04 04 1C"));
        Put(device.pages[13], 9, QByteArray::fromHex("09 1C"));
        Put(device.pages[13], 29, QByteArray::fromHex("08 1C"));
    }

    void OpenPanel(frmRK715PhoneParameters &panel)
    {
        panel.ServerName = u"Phone Parameters for server: Lab \"2\""_s;
        Open(panel);
    }

    QStringList BoxTexts(const frmRK715PhoneParameters &panel) const
    {
        QStringList texts;
        for (const QLineEdit *box : panel.txtPhoneNumber)
            texts << box->text();
        return texts << panel.cmboCalloutYN->currentText();
    }
};

TEST_F(frmRK715PhoneParametersTest, DownloadShowsEveryFieldAndSaveGivesThePagesBack)
{
    const auto before = device.pages;
    frmRK715PhoneParameters panel;
    OpenPanel(panel);
    EXPECT_EQ(Headers(), (QStringList{u"AABBCC08"_s, u"AABBCC09"_s, u"AABBCC0A"_s, u"AABBCC0B"_s,
                                      u"AABBCC0C"_s, u"AABBCC0D"_s}));
    EXPECT_EQ(BoxTexts(panel), (QStringList{u"555123"_s,
                                            u"*9"_s,
                                            u"55"_s,
                                            {},
                                            u"12345678901234567890"_s,
                                            u"44"_s,
                                            u"9"_s,
                                            u"8"_s,
                                            u"007"_s,
                                            u"4"_s,
                                            u"15"_s,
                                            u"900"_s,
                                            u"2"_s,
                                            u"120"_s,
                                            u"Yes"_s}));
    EXPECT_EQ(panel.windowTitle(), u"Phone Parameters for server: Lab \"2\""_s);
    EXPECT_FALSE(ConnectionOpen());
    EXPECT_TRUE(Lines(panel).isEmpty());
    EXPECT_TRUE(panel.btnSave->isEnabled());

    const qsizetype first = device.Requests().size();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(Headers(first), (QStringList{u"DDCCBB08"_s, u"DDCCBB09"_s, u"DDCCBB0A"_s,
                                           u"DDCCBB0B"_s, u"DDCCBB0C"_s, u"DDCCBB0D"_s}));
    // Page 9's skipped byte 12 (0C) is the one byte a save rewrites: the number reads "55".
    auto expected = before;
    Put(expected[9], 9, QByteArray::fromHex("05 05 1C"));
    EXPECT_EQ(device.pages, expected);
    EXPECT_TRUE(Lines(panel).isEmpty());
    EXPECT_FALSE(ConnectionOpen());
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK715PhoneParametersTest, NumberFieldsAreWrittenByteByByte)
{
    frmRK715PhoneParameters panel;
    OpenPanel(panel);
    auto expected = device.pages;
    panel.txtPhoneNumber[0]->clear();                            // end marker only
    panel.txtPhoneNumber[1]->setText(u"*0*"_s);                  // 27 0 27 28
    panel.txtPhoneNumber[4]->setText(u"98765432109876543210"_s); // 20 bytes, no marker
    panel.txtPhoneNumber[8]->setText(u"12"_s);
    panel.txtPhoneNumber[9]->setText(u"12"_s);
    panel.cmboCalloutYN->setCurrentIndex(0);
    Put(expected[8], 9, QByteArray::fromHex("1C"));
    Put(expected[8], 29, QByteArray::fromHex("1B 00 1B 1C"));
    Put(expected[8], 49, QByteArray::fromHex("000C"));
    Put(expected[9], 9, QByteArray::fromHex("05 05 1C"));
    Put(expected[10], 37,
        QByteArray::fromHex("09 08 07 06 05 04 03 02 01 00 "
                            "09 08 07 06 05 04 03 02 01 00"));
    Put(expected[10], 9, QByteArray::fromHex("01 02 1C"));
    Put(expected[11], 43, QByteArray::fromHex("0000"));
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
}

TEST_F(frmRK715PhoneParametersTest, EntriesAreCheckedBlankFirstThenByRange)
{
    const QString blank = u"Please do not leave a parameter blank"_s;
    const struct {
        QList<QPair<int, QString>> typed;
        QString message;
        int focus;
        QString replacement;
    } rows[] = {
        {{{11, {}}, {9, u"13"_s}, {13, {}}}, blank, 11, {}},
        {{{9, u"13"_s}},
         u"The number of rings you wish to program is out of limits.  Please enter a value "
         "between 1 and 12."_s,
         9,
         u"1"_s},
        {{{9, u"12"_s}, {10, u"14"_s}},
         u"The reminder callout time delay you wish to program is out of limits.  Please enter a "
         "value between 15 and 900 minutes."_s,
         10,
         u"60"_s},
        {{{10, u"900"_s}, {11, u"901"_s}},
         u"The unit callout time delay you wish to program is out of limits.  Please enter a "
         "value between 0 and 900 minutes."_s,
         11,
         u"2"_s},
        {{{11, u"0"_s}, {12, u"4"_s}},
         u"The number of times to repeat the warning message you wish to program is out of "
         "limits.  Please enter a value between 0 and 3."_s,
         12,
         u"1"_s},
        {{{13, u"121"_s}},
         u"The power outage time delay you wish to program is out of limits.  Please enter a "
         "value between 0 and 120 minutes."_s,
         13,
         u"5"_s},
        {{{3, u"555-0100"_s}},
         u"Contact Phone Number 4: \"555-0100\" cannot be stored.  Use digits and \"*\" only."_s,
         3,
         u"555-0100"_s},
        {{{13, u"1a"_s}},
         u"Power Outage Time Delay (0-120 minutes): \"1a\" cannot be stored.  Enter a number "
         "from -32768 to 32767."_s,
         13,
         u"1a"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.message.toStdString());
        frmRK715PhoneParameters panel;
        OpenPanel(panel);
        for (const auto &[box, text] : row.typed)
            panel.txtPhoneNumber[box]->setText(text);
        const auto pages = device.pages;
        const qsizetype first = device.Requests().size();
        EXPECT_EQ(Click(panel.btnSave), QList{Box(row.message)});
        EXPECT_EQ(Headers(first), QStringList{});
        EXPECT_EQ(panel.focusWidget(), panel.txtPhoneNumber[row.focus]);
        EXPECT_EQ(panel.txtPhoneNumber[row.focus]->text(), row.replacement);
    }
}

TEST_F(frmRK715PhoneParametersTest, DefaultsAskThenUploadTheirValues)
{
    frmRK715PhoneParameters panel;
    OpenPanel(panel);
    panel.cmboCalloutYN->setCurrentIndex(0);
    const auto before = device.pages;
    const Prompt::Message question =
        Box(u"Reset phone parameters to factory default?  Note that the phone numbers and local "
            "ID will not be modified"_s,
            Prompt::Buttons::OkCancel, Prompt::Icon::None, u"Factory Defaults?"_s);
    prompt.Queue(Prompt::Answer::Cancel);
    EXPECT_EQ(Click(panel.btnDefaults), QList{question});
    EXPECT_EQ(device.pages, before);
    EXPECT_EQ(panel.txtPhoneNumber[9]->text(), u"4"_s);

    EXPECT_EQ(Click(panel.btnDefaults), QList{question});
    EXPECT_EQ(BoxTexts(panel).mid(9),
              (QStringList{u"1"_s, u"45"_s, u"3"_s, u"0"_s, u"5"_s, u"Yes"_s}));
    EXPECT_EQ(device.pages[8].mid(48, 8), QByteArray::fromHex("0001 0005 4142 0003"));
    EXPECT_EQ(device.pages[11].mid(40, 6), QByteArray::fromHex("0000 0001 002D"));
    EXPECT_EQ(device.pages[10], before[10]);
    EXPECT_TRUE(ConnectionOpen());
}

TEST_F(frmRK715PhoneParametersTest, EachFailingPageGivesItsLineAndAFailedPageRefusesSaving)
{
    const struct {
        int page;
        QString download, upload;
    } rows[] = {
        {8, u"Failed to download contact phone numbers 1 and 2"_s,
         u"Failed to upload contact phone numbers 1 and 2"_s},
        {9, u"Failed to download contact phone numbers 3 and 4"_s,
         u"Failed to upload contact phone numbers 3 and 4"_s},
        {10, u"Failed to download contact phone number 5"_s,
         u"Failed to upload contact phone numbers 5"_s},
        {11, u"Failed to download phone parameters"_s, u"Failed to upload the phone paramaters"_s},
        {12, u"Failed to download contact phone number 6"_s,
         u"Failed to upload contact phone number 6"_s},
        {13, u"Failed to download contact phone numbers 7 and 8"_s,
         u"Failed to upload contact phone numbers 7 and 8"_s},
    };
    const QString refusal = u"Some settings could not be read from the device, so nothing was "
                            "saved.  Press Refresh and try again."_s;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.page);
        device.SetKnob(DeviceCommand::ReadPage(row.page), Knob(FakeDevice::Behaviour::WrongEcho));
        frmRK715PhoneParameters panel;
        OpenPanel(panel);
        EXPECT_EQ(Lines(panel), QStringList{row.download});
        const qsizetype first = device.Requests().size();
        EXPECT_EQ(Click(panel.btnSave), QList{Box(refusal)});
        EXPECT_EQ(Click(panel.btnDefaults), QList{Box(refusal)});
        EXPECT_EQ(Headers(first), QStringList{});

        QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
        device.SetKnob(StoreHeader(row.page), Knob(FakeDevice::Behaviour::Busy));
        EXPECT_TRUE(Click(panel.btnSave).isEmpty());
        EXPECT_EQ(Lines(panel), QStringList{row.upload});
        EXPECT_EQ(Headers(first).size(), 12);
    }
}

TEST_F(frmRK715PhoneParametersTest, TheBoxesTakeTheirKeys)
{
    frmRK715PhoneParameters panel;
    OpenPanel(panel);
    const struct {
        int box;
        QString before, keys, after;
    } rows[] = {
        {0, {}, u"*1a#2"_s, u"*12"_s}, {8, {}, u"*7"_s, u"*7"_s},     {9, {}, u"*1x2"_s, u"12"_s},
        {12, {}, u"7"_s, u"0"_s},      {12, u"2"_s, u"\b"_s, u"0"_s},
    };
    for (const auto &row : rows) {
        QLineEdit *box = panel.txtPhoneNumber[row.box];
        box->setText(row.before);
        box->selectAll();
        for (const QChar c : row.keys) {
            if (c == u'\b')
                QTest::keyClick(box, Qt::Key_Backspace);
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        EXPECT_EQ(box->text(), row.after) << row.box;
    }
    const int lengths[] = {20, 20, 20, 20, 20, 20, 20, 20, 20, 2, 3, 3, 1, 3};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(panel.txtPhoneNumber[i]->maxLength(), lengths[i]) << i;
}

TEST_F(frmRK715PhoneParametersTest, NothingStartsOrClosesWhileTheActivationDownloads)
{
    frmRK715PhoneParameters panel;
    panel.ServerName = u"Phone Parameters for server: Lab"_s;
    panel.IPAddress = device.Address();
    QString status;
    DuringDelayedReply(
        DeviceCommand::ReadPage(10),
        [&] {
            panel.show();
            QCoreApplication::processEvents();
        },
        {[&] { status = panel.lblStatus->isHidden() ? QString() : panel.lblStatus->text(); },
         [&] { panel.btnSave->click(); }, [&] { panel.btnDefaults->click(); },
         [&] { panel.btnRefresh->click(); }, [&] { panel.btnClose->click(); },
         [&] { panel.close(); }});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.Transferring(); }));
    EXPECT_EQ(Headers(), (QStringList{u"AABBCC08"_s, u"AABBCC09"_s, u"AABBCC0A"_s, u"AABBCC0B"_s,
                                      u"AABBCC0C"_s, u"AABBCC0D"_s}));
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(prompt.Messages().isEmpty());
    EXPECT_EQ(status, u"Downloading..."_s);
    EXPECT_TRUE(panel.lblStatus->isHidden());
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(frmRK715PhoneParametersTest, ShowsItsTexts)
{
    frmRK715PhoneParameters panel;
    OpenPanel(panel);
    ExpectTexts(&panel, "Phone Parameters for server: Lab \"2\"\n"
                        "Contact Phone Number 1\nContact Phone Number 8\nLocal ID\n"
                        "Number of rings to answer the phone (1-12 rings)\n"
                        "Reminder CallOut Time Delay (15-900 minutes)\n"
                        "Unit callout time delay (0-900 minutes)\n"
                        "Repeat Warning Message (0, 1, 2)\n"
                        "Power Outage Time Delay (0-120 minutes)\n"
                        "Reminder Callouts Enabled\nNo|Yes\n"
                        "Refresh\nSave\nDefaults\nClose\nSet phone parameters to default values");
}
