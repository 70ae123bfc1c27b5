#include "ModelPanels.h"

#include "frmFinch.h"
#include "frmFinch416.h"
#include "frmRK715.h"
#include "frmRK715PhoneParameters.h"
#include "frmRK718.h"
#include "frmRK730.h"
#include "frmRK750.h"
#include "frmRK816.h"

#include <QWidget>

namespace {

// Made anew for each opening: a panel keeps nothing between openings.
template <typename Panel>
void ShowPanel(QWidget *owner, const QString &ipAddress, qint32 databaseId)
{
    Panel panel(owner);
    panel.IPAddress = ipAddress;
    panel.DatabaseID = databaseId;
    panel.exec();
}

} // namespace

// Each panel is parented to the device manager: a parentless modal window can open
// behind it. Members are set before exec(): the panel reads them when it loads.
void ShowModelPanel(QWidget *owner, PanelForm form, const QString &ipAddress, qint32 databaseId)
{
    switch (form) {
    case PanelForm::None:
        return;
    case PanelForm::frmRK715:
        ShowPanel<frmRK715>(owner, ipAddress, databaseId);
        return;
    case PanelForm::frmRK718:
        ShowPanel<frmRK718>(owner, ipAddress, databaseId);
        return;
    case PanelForm::frmRK730:
        ShowPanel<frmRK730>(owner, ipAddress, databaseId);
        return;
    case PanelForm::frmRK750:
        ShowPanel<frmRK750>(owner, ipAddress, databaseId);
        return;
    case PanelForm::frmRK816:
        ShowPanel<frmRK816>(owner, ipAddress, databaseId);
        return;
    case PanelForm::frmFinch416:
        ShowPanel<frmFinch416>(owner, ipAddress, databaseId);
        return;
    case PanelForm::frmFinch:
        ShowPanel<frmFinch>(owner, ipAddress, databaseId);
        return;
    }
}

void ShowPhoneParameters(QWidget *owner, const QString &serverName, const QString &ipAddress)
{
    frmRK715PhoneParameters panel(owner);
    panel.ServerName = serverName;
    panel.IPAddress = ipAddress;
    panel.exec();
}
