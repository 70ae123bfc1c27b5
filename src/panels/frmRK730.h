#pragma once

#include "SensorPanel.h"

// The four-temperature, one-door panel of sub-model 20.
class frmRK730 : public SensorPanel {
    Q_OBJECT

public:
    explicit frmRK730(QWidget *parent = nullptr);

protected:
    QList<SensorRecord> RowsToStore() const override;
};
