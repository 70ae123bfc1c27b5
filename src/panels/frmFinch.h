#pragma once

#include "FinchPanel.h"

// The Finch family's devices below sub-model 6: two temperature sensors and two doors;
// limits in tenths while the device reports in tenths.
class frmFinch : public FinchPanel {
    Q_OBJECT

public:
    explicit frmFinch(QWidget *parent = nullptr);

protected:
    void AfterDownload() override;
    void btnCal_Click() override;
    void btnCloseCal_Click() override;
    bool ReadyToCalibrate() override;
};
