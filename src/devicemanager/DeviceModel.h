#pragma once

#include "ModelPanels.h"

#include <QString>
#include <QtGlobal>

// What the device manager decides from a device's identity (family, sub-model, firmware
// revision as the identify reply gives them: signed 16-bit).
struct DeviceIdentity {
    qint16 family = 0;
    qint16 subModel = 0;
    qint16 revision = 0;
};

// "family.sub-model.revision", as the result texts show an identity.
QString IdentityText(const DeviceIdentity &id);

// The model box text and whether the temperature unit can be chosen.
struct ModelDescription {
    QString text;
    bool unitsEnabled = true;
};
ModelDescription DescribeModel(const DeviceIdentity &id);

// The panel that configures this model; None when no panel fits.
PanelForm PanelFor(const DeviceIdentity &id);

// Which of the clock and log controls and the phone button the model has.
struct ModelGates {
    bool readClock = false;
    bool dataLogFrame = false;
    bool hiLoDownload = false;
    bool phoneButton = false;
};
ModelGates GatesFor(const DeviceIdentity &id);
