#pragma once

#include "SensorPanel.h"

class QRadioButton;

// The F416: the Finch family's two probes and two doors, plus an internal temperature and
// an internal humidity sensor; limits and correction factors always in tenths.
class frmFinch416 : public SensorPanel {
    Q_OBJECT

public:
    explicit frmFinch416(QWidget *parent = nullptr);

    // The temperature unit letter of the device-name page; empty until it is read.
    QString DeviceUnit;
    QList<QLabel *> lblUnits;

    QGroupBox *frmAlarmConfiguration = nullptr;
    QRadioButton *optRelayLogic[2] = {};
    QRadioButton *optEnableBuzzer[2] = {};
    QLineEdit *txtAlarmReminderTimeDelay = nullptr;
    QLineEdit *txtTwoStageDoorAlarmTimeDelay = nullptr;
    QPushButton *btnCF = nullptr;

    void ClearTextBoxes() override;

protected:
    void Form_Activate() override;
    void ApplyGates() override;
    void ParseCurrentData(const QByteArray &reply) override;
    void ParsePage(const QByteArray &page, int number) override;
    void AfterDownload() override;
    bool CheckEntries(bool calOnly) override;
    QString FieldTitle(const Field &field) const override;

    void btnRefresh_Click() override;
    void btnSave_Click() override;
    void btnCal_Click() override;
    void btnStoreCalFactors_Click() override;
    void btnReset_Click() override;
};
