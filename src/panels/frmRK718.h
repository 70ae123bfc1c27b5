#pragma once

#include "SensorPanel.h"

class QRadioButton;

// The four-zone temperature and humidity panel with one water or dry-contact input.
class frmRK718 : public SensorPanel {
    Q_OBJECT

public:
    explicit frmRK718(QWidget *parent = nullptr);

    QRadioButton *optInput[2] = {};
    QRadioButton *optRelayLogic[2] = {};
    QRadioButton *optEnableBuzzer[2] = {};
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *lblBattV = nullptr;
    QLineEdit *txtBattV = nullptr;

    void Buttons(bool state) override;

protected:
    void ApplyGates() override;
    void ParseCurrentData(const QByteArray &reply) override;
    void AfterDownload() override;
    bool CheckEntries(bool calOnly) override;
    void btnRefresh_Click() override;

private:
    QByteArray m_currentData; // this download's reply, decoded again once the input kind is known
};
