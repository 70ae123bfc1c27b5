#pragma once

#include "FinchPanel.h"

// The F416: the Finch family's two probes and two doors, plus an internal temperature and
// an internal humidity sensor; limits and correction factors always in tenths.
class frmFinch416 : public FinchPanel {
    Q_OBJECT

public:
    explicit frmFinch416(QWidget *parent = nullptr);

    // The temperature unit letter of the device-name page; empty until it is read.
    QString DeviceUnit;
    QList<QLabel *> lblUnits;

    void ClearTextBoxes() override;

protected:
    void Form_Activate() override;
    void ParsePage(const QByteArray &page, int number) override;
    QString NumericReading(int row, float reading) const override;

    void btnCal_Click() override;
};
