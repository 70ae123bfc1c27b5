#include "frmRK750.h"

#include "FormControls.h"
#include "SharedLayouts.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

constexpr int kTemperatureRows = 4;
constexpr int kPowerRows = 4;
constexpr int kContactRow = kTemperatureRows + kPowerRows;

QString Downloading(int page)
{
    return QStringLiteral("Downloading page ") + QString::number(page);
}

QString Uploading(int page)
{
    return QStringLiteral("Uploading page ") + QString::number(page);
}

PanelTables Tables()
{
    PanelTables t;
    AddLimitRecords(t.fields, kTemperatureRows);
    // The power inputs continue page 0's records: normal state, a word left alone, delay.
    for (int k = 0; k < kPowerRows; ++k) {
        const int row = kTemperatureRows + k;
        t.fields.push_back({0, RecordByte(row), Indexed(u"cmboNormalState", k), Codec::ListWord,
                            row, Shown::WhenNamed});
        t.fields.push_back(
            {0, RecordByte(row) + 4, Indexed(u"txtTOL", row), Codec::Whole, row, Shown::WhenNamed});
    }
    t.fields.push_back({1, 9, Indexed(u"txtTOL", kContactRow), Codec::Whole, kContactRow});
    AddNamePages(t.fields, kContactRow + 1);

    // The names come before page 0, whose values show only on named rows; pages 1 and the
    // readings go on under page 0's caption.
    t.download = {
        {.page = 3, .busyLine = BusyUploadLine(), .status = Downloading(3)},
        {.page = 4, .status = Downloading(4)},
        {.page = 5, .status = Downloading(5)},
        {.page = 6, .status = Downloading(6)},
        {.page = 7, .status = Downloading(7)},
        {.page = 0,
         .failureLine = QStringLiteral("Failed to uploaded temperature limits"),
         .stops = true,
         .status = Downloading(0)},
        {.page = 1, .failureLine = QStringLiteral("Failed to uploaded door sensor limits")},
        {.page = kCurrentDataPage,
         .failureLine = QStringLiteral("Failed to download sensor readings")},
    };
    t.upload = {
        {.page = 0,
         .failureLine = QStringLiteral("Failed to upload the temperature sensor limits"),
         .busyLine = BusyUploadLine(),
         .status = Uploading(0)},
        {.page = 1,
         .failureLine = QStringLiteral("Failed to upload the door sensor limits"),
         .status = Uploading(1)},
    };
    for (int page = 3; page <= 7; ++page)
        t.upload.push_back({.page = page,
                            .failureLine = QStringLiteral("Failed to upload the sensor names"),
                            .status = Uploading(page)});
    return t;
}

SensorRows Rows()
{
    SensorRows rows;
    rows.captions = NumberedCaptions(QStringLiteral("Temperature Sensor Port "), kTemperatureRows) +
                    NumberedCaptions(QStringLiteral("Power Sensor Port "), kPowerRows);
    rows.captions << QStringLiteral("Dry Contact Input 1");
    // Only the temperatures have limits; a power input's normal state stands in their column.
    rows.limitRows = kTemperatureRows;
    rows.nameFilter = false;
    rows.keyWhitensLimit = false;
    rows.closesConnection = false;
    rows.headings = {{kTemperatureRows, QStringLiteral("An alarm is generated when the power has "
                                                       "been___ for xxx minutes")}};
    return rows;
}

} // namespace

frmRK750::frmRK750(QWidget *parent) : SensorPanel(Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmRK750"));
    setWindowTitle(QStringLiteral("Powervane Model RK750"));
    for (int k = 0; k < kPowerRows; ++k) {
        cmboNormalState[k] = Named(new QComboBox(this), Indexed(u"cmboNormalState", k));
        cmboNormalState[k]->addItems({QStringLiteral("On"), QStringLiteral("Off")});
        // Nothing chosen until a download shows the device's state.
        cmboNormalState[k]->setCurrentIndex(-1);
        PlaceInRow(kTemperatureRows + k, QStringLiteral("txtLL"), cmboNormalState[k]);
    }
    for (QLineEdit *name : std::as_const(txtName))
        name->setMaxLength(kNameLength);
}

// The sensor table keeps no limits for this model, and a delay of 0.
QList<SensorRecord> frmRK750::RowsToStore() const
{
    QList<SensorRecord> rows;
    for (int i = 0; i < txtName.size(); ++i)
        rows.append(Row(i, {}, {}, QStringLiteral("0")));
    return rows;
}
