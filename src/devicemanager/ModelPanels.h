#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

// The configuration panel of each device model.
enum class PanelForm {
    None,
    frmFinch,
    frmFinch416,
    frmRK715,
    frmRK718,
    frmRK730,
    frmRK750,
    frmRK816
};

// Shows the model's panel for the server at `ipAddress` (its tblServers row `databaseId`)
// as a modal window over `owner`, made anew for this opening; returns when it is closed.
void ShowModelPanel(QWidget *owner, PanelForm form, const QString &ipAddress, qint32 databaseId);
// The dialer's phone parameters panel, captioned `serverName`, modal over `owner`.
void ShowPhoneParameters(QWidget *owner, const QString &serverName, const QString &ipAddress);
