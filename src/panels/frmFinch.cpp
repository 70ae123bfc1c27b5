#include "frmFinch.h"

#include "Prompt.h"
#include "SharedLayouts.h"

#include <QLineEdit>

namespace {

constexpr int kSensors = 2;

PanelTables Tables()
{
    PanelTables t;
    // Page 0: the sensors' six-byte records from byte 9, the doors' delays, then the two
    // correction factors, always in tenths.
    AddLimitRecords(t.fields, kSensors);
    for (int door = kSensors; door < kSensors + 2; ++door)
        t.fields.push_back({0, 21 + 2 * (door - kSensors), Indexed(u"txtTOL", door), Codec::Whole,
                            door, Shown::WhenNamed});
    for (int i = 0; i < kSensors; ++i)
        t.fields.push_back({0, 25 + 2 * i, Indexed(u"txtCF", i), Codec::Tenths, i});
    FinchPanel::AddAlarmFields(t.fields);
    FinchPanel::AddNames(t.fields, 2, 0);
    FinchPanel::AddNames(t.fields, 3, kSensors);
    FinchPanel::AddExchanges(t, {}, {}, {});
    // The current data decides TenthsMode, and so what the limits mean.
    t.readBeforeSave = {kCurrentDataPage};
    return t;
}

} // namespace

frmFinch::frmFinch(QWidget *parent)
    : FinchPanel(Rows({QStringLiteral("Temperature Sensor Port 1"),
                       QStringLiteral("Temperature Sensor Port 2"), QStringLiteral("Door Sensor 1"),
                       QStringLiteral("Door Sensor 2")},
                      kSensors, true),
                 Tables(), parent)
{
    setObjectName(QStringLiteral("frmFinch"));
    setWindowTitle(QStringLiteral("F41x Parameters"));
}

// Outside tenths the device's factors mean nothing to the operator: no box shows them,
// and a blank box leaves their bytes as they are.
void frmFinch::AfterDownload()
{
    FinchPanel::AfterDownload();
    if (!TenthsMode) {
        for (QLineEdit *factor : std::as_const(txtCF))
            factor->clear();
    }
}

void frmFinch::btnCal_Click()
{
    FinchPanel::btnCal_Click();
    for (int door = kSensors; door < txtReading.size(); ++door)
        txtReading.at(door)->hide();
}

void frmFinch::btnCloseCal_Click()
{
    FinchPanel::btnCloseCal_Click();
    for (int door = kSensors; door < txtReading.size(); ++door)
        txtReading.at(door)->show();
}

bool frmFinch::ReadyToCalibrate()
{
    for (const QLineEdit *actual : std::as_const(txtActualTemp)) {
        if (!actual->text().isEmpty())
            return true;
    }
    Prompt::Show(QStringLiteral("Please enter the actual temperature"));
    return false;
}
