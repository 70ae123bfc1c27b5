#include "DeviceModel.h"

QString IdentityText(const DeviceIdentity &id)
{
    return QString::number(id.family) + QLatin1Char('.') + QString::number(id.subModel) +
           QLatin1Char('.') + QString::number(id.revision);
}

ModelDescription DescribeModel(const DeviceIdentity &id)
{
    if (id.family == 5 && id.subModel == 7)
        return {QStringLiteral("Model QRB-RK710-7: ZARVOPHONE Alarm Dialer")};
    if (id.family == 6 && id.subModel == 5)
        return {QStringLiteral("Model QRB-RK815E: Coldvane")};
    if (id.family == 6 && id.subModel == 6)
        return {QStringLiteral("Model QRB-RK816E: Inputvane"), false};
    if (id.family == 6 && id.subModel == 8)
        return {QStringLiteral("Model QRB-RK818E: Rackvane")};
    return {QStringLiteral("Server model could not be determined")};
}

PanelForm PanelFor(const DeviceIdentity &id)
{
    if (id.family == 3 && id.subModel < 6)
        return PanelForm::frmFinch;
    if (id.family == 3 && id.subModel == 6)
        return PanelForm::frmFinch416;
    if (id.family == 6)
        return id.subModel == 6 ? PanelForm::frmRK816 : PanelForm::frmRK715;
    switch (id.subModel) {
    case 5:
    case 7:
    case 10:
        return PanelForm::frmRK715;
    case 8:
        return PanelForm::frmRK718;
    case 40:
        return PanelForm::frmRK750;
    case 20:
        return PanelForm::frmRK730;
    default:
        return PanelForm::None;
    }
}

ModelGates GatesFor(const DeviceIdentity &id)
{
    const bool family5 = id.family == 5;
    const qint16 sub = id.subModel;
    const qint16 rev = id.revision;
    ModelGates gates;
    gates.readClock = id.family == 3 || id.family == 6 || (family5 && rev >= 23);
    gates.dataLogFrame = id.family == 3 || id.family == 6 || (family5 && sub == 5 && rev >= 23) ||
                         (family5 && (sub == 7 || sub == 10) && rev >= 24);
    gates.hiLoDownload = id.family == 6 && (sub == 5 || sub == 10);
    gates.phoneButton =
        id.family == 6 || (family5 && rev >= 25) || (family5 && sub == 8 && rev >= 13);
    return gates;
}
