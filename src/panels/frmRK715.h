#pragma once

#include "SensorPanel.h"

class QRadioButton;

// The eight-temperature, two-door panel of families 5 and 6.
class frmRK715 : public SensorPanel {
    Q_OBJECT

public:
    explicit frmRK715(QWidget *parent = nullptr);

    QRadioButton *optRelayLogic[2] = {};
    QRadioButton *optEnableBuzzer[2] = {};
    QGroupBox *Frame1 = nullptr;
    QGroupBox *frmRK715rev23 = nullptr;
    QLabel *lblBattV = nullptr;
    QLineEdit *txtBattV = nullptr;

    void Buttons(bool state) override;
    void ClearTextBoxes() override;

protected:
    void ApplyGates() override;
    void ParseCurrentData(const QByteArray &reply) override;
    void AfterDownload() override;
    bool CheckEntries(bool calOnly) override;
    QString FieldTitle(const Field &field) const override;
    void btnCal_Click() override;
    void btnCloseCal_Click() override;
};
