#include "frmFinch416.h"

#include "DeviceNamePage.h"
#include "FormControls.h"
#include "NumberText.h"
#include "SharedLayouts.h"

#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace {

// Rows: two probes, the internal temperature and humidity sensors, then the two doors.
constexpr int kSensors = 4;
constexpr int kHumidityRow = 3;
constexpr int kUnitPage = 1;
constexpr char16_t kDegreeSign = 0xB0;

PanelTables Tables()
{
    PanelTables t;
    // Page 0: a six-byte record per sensor from byte 9, then the doors' delays, then the
    // four correction factors; limits and factors in tenths whatever the device reports.
    for (int i = 0; i < kSensors; ++i) {
        const int p = RecordByte(i);
        // The probes' limits mean nothing without a name; the internal sensors keep theirs.
        const Shown shown = i < 2 ? Shown::WhenNamed : Shown::Always;
        t.fields.push_back({0, p, Indexed(u"txtLL", i), Codec::Tenths, i, shown});
        t.fields.push_back({0, p + 2, Indexed(u"txtUL", i), Codec::Tenths, i, shown});
        t.fields.push_back({0, p + 4, Indexed(u"txtTOL", i), Codec::Whole, i, shown});
    }
    for (int door = kSensors; door < kSensors + 2; ++door)
        t.fields.push_back({0, 33 + 2 * (door - kSensors), Indexed(u"txtTOL", door), Codec::Whole,
                            door, Shown::WhenNamed});
    for (int i = 0; i < kSensors; ++i)
        t.fields.push_back({0, 37 + 2 * i, Indexed(u"txtCF", i), Codec::Tenths, i});
    // Two names a page: the probes on page 2, the doors on 3, the internal sensors on 5.
    FinchPanel::AddNames(t.fields, 2, 0);
    FinchPanel::AddNames(t.fields, 3, kSensors);
    FinchPanel::AddNames(t.fields, 5, 2);
    FinchPanel::AddAlarmFields(t.fields);
    FinchPanel::AddExchanges(
        t, {{kUnitPage, QStringLiteral("Failed to retreive user page 1")}},
        {{5, QStringLiteral("Failed to retreive Internal Temperature and Humidity sensor names")}},
        {5});
    return t;
}

SensorRows F416Rows()
{
    SensorRows rows = FinchPanel::Rows(
        {QStringLiteral("Temperature Sensor Port 1"), QStringLiteral("Temperature Sensor Port 2"),
         QStringLiteral("Internal Temperature Sensor"), QStringLiteral("Internal Humidity Sensor"),
         QStringLiteral("Door Sensor 1"), QStringLiteral("Door Sensor 2")},
        kSensors, false);
    // The unit labels stand between the limits and the delay.
    rows.columns.insert(rows.columns.size() - 1, {QStringLiteral("lblUnits"), QString()});
    return rows;
}

} // namespace

frmFinch416::frmFinch416(QWidget *parent) : FinchPanel(F416Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmFinch416"));
    setWindowTitle(QStringLiteral("F416 Parameters"));

    for (int i = 0; i < kSensors; ++i) {
        lblUnits.append(Named(new QLabel(this), Indexed(u"lblUnits", i)));
        PlaceInRow(i, QStringLiteral("lblUnits"), lblUnits.last());
    }
}

void frmFinch416::ClearTextBoxes()
{
    FinchPanel::ClearTextBoxes();
    // A download whose page 1 fails leaves no unit behind.
    DeviceUnit.clear();
}

void frmFinch416::Form_Activate()
{
    // The temperature labels wait for the device-name page: a panel starts with no unit.
    lblUnits.at(kHumidityRow)->setText(QStringLiteral("%RH"));
    FinchPanel::Form_Activate();
}

void frmFinch416::ParsePage(const QByteArray &page, int number)
{
    if (number != kUnitPage)
        return;
    DeviceUnit = ReadNamePage(page).unit;
    const bool known = DeviceUnit == u"C" || DeviceUnit == u"F";
    for (int i = 0; i < kHumidityRow; ++i)
        lblUnits.at(i)->setText(known ? kDegreeSign + DeviceUnit : QString());
}

// Humidity is shown whole, halves to the even neighbour.
QString frmFinch416::NumericReading(int row, float reading) const
{
    return row == kHumidityRow ? QString::number(std::nearbyint(double(reading)))
                               : FinchPanel::NumericReading(row, reading);
}

void frmFinch416::btnCal_Click()
{
    FinchPanel::btnCal_Click();
    for (int i = 0; i < kSensors; ++i) {
        const QString reading = txtReading.at(i)->text();
        const bool number = BoxNumber(reading).has_value();
        txtActualTemp.at(i)->setReadOnly(!number);
        txtActualTemp.at(i)->setToolTip(number ? QString()
                                               : QStringLiteral("Sensor is ") + reading +
                                                     QStringLiteral(" and cannot be calibrated."));
    }
}
