#pragma once

#include "SensorPanel.h"

class QComboBox;

// The panel of sub-model 40: four temperatures, four power inputs and one dry contact.
class frmRK750 : public SensorPanel {
    Q_OBJECT

public:
    explicit frmRK750(QWidget *parent = nullptr);

    QComboBox *cmboNormalState[4] = {};

protected:
    QList<SensorRecord> RowsToStore() const override;
};
