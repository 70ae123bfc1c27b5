#pragma once

#include "SensorPanel.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

// The eight dry-contact inputs of family 6 sub-model 6, with the device's relay, buzzer
// and log-in block.
class frmRK816 : public SensorPanel {
    Q_OBJECT

public:
    explicit frmRK816(QWidget *parent = nullptr);

    QList<QComboBox *> cmboNoNc;
    QCheckBox *chkRelayControlEnabled = nullptr;
    QRadioButton *optRelayLogic[2] = {};
    QRadioButton *optEnableBuzzer[2] = {};
    QLabel *lblBattV = nullptr;
    QLineEdit *txtBattV = nullptr;
    QPushButton *Command1 = nullptr;

    void ClearTextBoxes() override;
    void InsertLimits(QByteArray &strSend, int page) override;

protected:
    void ParseCurrentData(const QByteArray &reply) override;
    QList<SensorRecord> RowsToStore() const override;
};
