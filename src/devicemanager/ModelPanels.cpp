#include "ModelPanels.h"

#include "Prompt.h"

#include <QWidget>

// Each panel is parented to the device manager: a parentless modal window can open
// behind it. Members are set before exec(): the panel reads them when it loads.
void ShowModelPanel(QWidget *owner, PanelForm form, const QString &ipAddress, qint32 databaseId)
{
    Q_UNUSED(owner);
    Q_UNUSED(ipAddress);
    Q_UNUSED(databaseId);
    switch (form) {
    case PanelForm::None:
        return;
    case PanelForm::frmFinch:
    case PanelForm::frmFinch416:
    case PanelForm::frmRK715:
    case PanelForm::frmRK718:
    case PanelForm::frmRK730:
    case PanelForm::frmRK750:
    case PanelForm::frmRK816:
        break;
    }
    Prompt::Show(QString::fromUtf16(kPanelNotYet));
}

void ShowPhoneParameters(QWidget *owner, const QString &serverName, const QString &ipAddress)
{
    Q_UNUSED(owner);
    Q_UNUSED(serverName);
    Q_UNUSED(ipAddress);
    Prompt::Show(QString::fromUtf16(kPanelNotYet));
}
