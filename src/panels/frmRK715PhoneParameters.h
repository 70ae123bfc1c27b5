#pragma once

#include "PanelEngine.h"

class QComboBox;
class QLineEdit;

// The alarm dialer's settings on pages 8 to 13: eight contact numbers, the Local ID and the
// call and answer parameters.
class frmRK715PhoneParameters : public PanelEngine {
    Q_OBJECT

public:
    explicit frmRK715PhoneParameters(QWidget *parent = nullptr);

    QString ServerName;

    QLineEdit *txtPhoneNumber[14] = {};
    QLabel *lblPhoneNumber[8] = {};
    QLabel *lblLocalID = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QComboBox *cmboCalloutYN = nullptr;
    QPushButton *btnDefaults = nullptr;

    void ClearTextBoxes() override;

protected:
    void showEvent(QShowEvent *event) override;
    void Form_Activate() override;
    bool CheckEntries(bool calOnly) override;
    QString FieldTitle(const Field &field) const override;

private:
    void btnRefresh_Click();
    void btnSave_Click();
    void btnDefaults_Click();

    QLabel *m_labels[14] = {};
};
