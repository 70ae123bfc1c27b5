#include "frmRK730.h"

#include "SharedLayouts.h"

namespace {

constexpr int kTemperatureRows = 4;
constexpr int kDoorRow = 4;

PanelTables Tables()
{
    PanelTables t;
    AddLimitRecords(t.fields, kTemperatureRows);
    AddNamePages(t.fields, kTemperatureRows);
    t.fields.push_back({7, 9, QStringLiteral("txtName(4)"), Codec::Name, kDoorRow});
    t.fields.push_back({1, 9, QStringLiteral("txtTOL(4)"), Codec::Whole, kDoorRow});

    const QString busy = BusyUploadLine();
    // The names come before page 0, whose limits show only on named rows.
    t.download = {
        {3, {}, busy},
        {4},
        {7, QStringLiteral("Failed to download sensor names")},
        {0, QStringLiteral("Failed to download temperature limits"), {}, true},
        {1, QStringLiteral("Failed to download door sensor limits")},
        {kCurrentDataPage, QStringLiteral("Failed to download sensor readings")},
    };
    const QString names = QStringLiteral("Failed to upload the sensor names");
    t.upload = {
        {0, QStringLiteral("Failed to upload the temperature sensor limits"), busy},
        {1, QStringLiteral("Failed to upload the door sensor limits")},
        {3, names},
        {4, names},
        {7, QStringLiteral("Upload to upload the sensor names")},
    };
    t.downloadComplete = QStringLiteral(" Download complete");
    t.uploadComplete = QStringLiteral("Upload complete");
    return t;
}

SensorRows Rows()
{
    SensorRows rows;
    rows.captions = NumberedCaptions(QStringLiteral("Temperature Sensor Port "), kTemperatureRows);
    rows.captions << QStringLiteral("Dry Contact Alarm Input (NO)");
    // The door has no limits on the device.
    rows.limitRows = kTemperatureRows;
    rows.nameFilter = false;
    rows.closesConnection = false;
    return rows;
}

} // namespace

frmRK730::frmRK730(QWidget *parent) : SensorPanel(Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmRK730"));
    setWindowTitle(QStringLiteral("RK730 Parameters"));
}

// The sensor table keeps no limits or delay for this model.
QList<SensorRecord> frmRK730::RowsToStore() const
{
    QList<SensorRecord> rows;
    for (int i = 0; i < txtName.size(); ++i)
        rows.append(Row(i, {}, {}, {}));
    return rows;
}
