#include "frmRK816.h"

#include "AnsiText.h"
#include "DeviceCommands.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"
#include "SharedLayouts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int kRows = 8;
constexpr int kFixedWord = 99;
constexpr int kRelayLogicByte = 57;
constexpr int kRelayByPhoneByte = 59;

// The logic level is chosen, never typed: a typed letter would jump through the list.
class DropsTyping final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->text().isEmpty())
            return true;
        return QObject::eventFilter(watched, event);
    }
};

// Every upload logs in the same way, whatever the device holds: user "admin" and a blank
// password of which only ten characters are written; NULs fill the rest.
QByteArray CredentialsFrame()
{
    return PadWithNulls(DeviceCommand::StoreCredentials() + QByteArray(4, '\0') +
                        FixedAnsi(QStringLiteral("admin"), 20) + QByteArray(10, ' '));
}

PanelTables Tables()
{
    PanelTables t;
    for (int i = 0; i < kRows; ++i) {
        const int p = RecordByte(i);
        t.fields.push_back({0, p, Indexed(u"cmboNoNc", i), Codec::ListWord, i});
        t.fields.push_back(
            {0, p + 2, {}, Codec::FixedWord, i, Shown::Always, Blank::KeepsBytes, kFixedWord});
        t.fields.push_back({0, p + 4, Indexed(u"txtTOL", i), Codec::Whole, i, Shown::WhenNamed});
    }
    AddRelayAndBuzzer(t.fields);
    t.fields.push_back({0, kRelayByPhoneByte, QStringLiteral("chkRelayControlEnabled"),
                        Codec::OptionByte, -1, Shown::Always, Blank::KeepsBytes, 1, 0});
    AddNamePages(t.fields, kRows);

    // The names come before page 0, whose delays show only on named rows; page 0 is the
    // last exchange and closes the connection.
    t.download = {
        {kIdentityPage},
        {kCredentialsPage, {}, BusyDownloadLine()},
        {3, {}, BusyDownloadLine()},
        {4},
        {5},
        {6},
        {kCurrentDataPage, QStringLiteral("Failed to download sensor readings")},
        {0, QStringLiteral("Failed to download temperature limits"), {}, true, true},
    };
    const QString names = QStringLiteral("Failed to upload the Input names");
    t.upload = {
        {kCredentialsPage, QStringLiteral("Failed to upload user name and password"),
         BusyUploadLine(), false, false, nullptr, false, CredentialsFrame()},
        {0, QStringLiteral("Failed to upload the Input parameters"), BusyUploadLine()},
        {3, names},
        {4, names},
        {5, names},
        {6, names},
    };
    t.downloadComplete = QStringLiteral(" Download complete");
    t.uploadComplete = QStringLiteral("Upload complete");
    return t;
}

SensorRows Rows()
{
    SensorRows rows;
    for (int i = 1; i <= kRows; ++i)
        rows.captions << QStringLiteral("Dry Contact Input ") + QString::number(i);
    rows.columns = {{QStringLiteral("cmboNoNc"), QStringLiteral("Logic Level")},
                    {QStringLiteral("txtTOL"), QStringLiteral("Time Delay (min)")},
                    {QStringLiteral("txtReading"), QStringLiteral("Current State")}};
    return rows;
}

} // namespace

frmRK816::frmRK816(QWidget *parent) : SensorPanel(Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmRK816"));

    for (int i = 0; i < kRows; ++i) {
        auto *list = Named(new QComboBox(this), Indexed(u"cmboNoNc", i));
        list->addItems({QStringLiteral("Normally Open"), QStringLiteral("Normally Closed")});
        list->installEventFilter(new DropsTyping(list));
        PlaceInRow(i, QStringLiteral("cmboNoNc"), list);
        cmboNoNc.append(list);
    }

    chkRelayControlEnabled =
        Named(new QCheckBox(QStringLiteral("Check to enable relay control via phone call"), this),
              u"chkRelayControlEnabled");
    auto *relayBox = new QWidget(this);
    auto *buzzerBox = new QWidget(this);
    BuildRelayAndBuzzer(relayBox, buzzerBox, optRelayLogic, optEnableBuzzer);
    // A download that sets the box counts as a click: the options follow it.
    connect(chkRelayControlEnabled, &QCheckBox::toggled, this, [this](bool checked) {
        for (QRadioButton *option : optRelayLogic)
            option->setEnabled(!checked);
    });
    lblBattV = Named(new QLabel(QStringLiteral("Backup Battery Voltage (vdc)"), this), u"lblBattV");
    txtBattV = Named(new QLineEdit(this), u"txtBattV");
    SizeForText(txtBattV, BatteryCharacters(), BoxText::Digits);
    txtBattV->setReadOnly(true);
    Command1 = Named(new QPushButton(QStringLiteral("Command1"), this), u"Command1");
    // Two lines, the phone's relay control above the relay options it overrides: on one
    // line the options are wider than a small screen.
    auto *battery = new QHBoxLayout;
    battery->addWidget(lblBattV);
    battery->addWidget(txtBattV);
    battery->addWidget(Command1);
    battery->addStretch();
    auto *options = new QGridLayout;
    options->addWidget(chkRelayControlEnabled, 0, 0);
    options->addLayout(battery, 0, 1);
    options->addWidget(relayBox, 1, 0);
    options->addWidget(buzzerBox, 1, 1);
    ModelArea()->addLayout(options);

    // Not among the buttons a transfer disables, so the transfer guard keeps it out.
    OnClick(Command1, [this] { SaveLimits(); });
}

void frmRK816::ClearTextBoxes()
{
    SensorPanel::ClearTextBoxes();
    txtBattV->clear();
}

// Relay control by phone owns the relay: while it is on, the relay logic goes out as 0
// and the operator's choice stays on the screen for when it is switched off.
void frmRK816::InsertLimits(QByteArray &strSend, int page)
{
    SensorPanel::InsertLimits(strSend, page);
    if (page == 0 && chkRelayControlEnabled->isChecked())
        strSend[kRelayLogicByte - 1] = 0;
}

void frmRK816::ParseCurrentData(const QByteArray &reply)
{
    using namespace CurrentDataReply;
    for (int i = 0; i < kRows; ++i)
        txtReading.at(i)->setText(ReadDeviceInt(reply, ReadingByte(i), 2) == 0
                                      ? QStringLiteral("Open")
                                      : QStringLiteral("Closed"));
    txtBattV->setText(TenthsText(ReadDeviceUInt(reply, kBatteryByte, 1)));
}

// An input has no limits: its logic level stands in the lower limit.
QList<SensorRecord> frmRK816::RowsToStore() const
{
    QList<SensorRecord> rows;
    for (int i = 0; i < kRows; ++i)
        rows.append(Row(i, QString(), QString::number(cmboNoNc.at(i)->currentIndex()),
                        txtTOL.at(i)->text()));
    return rows;
}
