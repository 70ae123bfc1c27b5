#pragma once

#include "SensorPanel.h"

#include <QStringList>

class QRadioButton;

// What the Finch family's panels share: the alarm configuration page (from sub-model 5
// on), readings in tenths per the device, notes kept for unnamed rows, every page read
// afresh just before it is stored, and calibration whose factors are worked out before
// the operator confirms them. The rows past the limit rows are the doors.
class FinchPanel : public SensorPanel {
    Q_OBJECT

public:
    QList<QLabel *> lblFinch, Label1;
    QGroupBox *frmAlarmConfiguration = nullptr;
    QRadioButton *optRelayLogic[2] = {};
    QRadioButton *optEnableBuzzer[2] = {};
    QLineEdit *txtAlarmReminderTimeDelay = nullptr;
    QLineEdit *txtTwoStageDoorAlarmTimeDelay = nullptr;
    QPushButton *btnCF = nullptr;

    // The family's rows: no name filter, headings lblFinch(c), calibration captions.
    static SensorRows Rows(const QStringList &captions, int limitRows, bool closesConnection);
    // The alarm configuration page, the two-names pages, and the family's exchanges in
    // their order: identify, page 4 when used, `beforeNames`, pages 2 and 3,
    // `afterNames`, the current data and page 0; stores 4, 0 (where a calibration ends),
    // 2, 3 and `moreNamePages`.
    static void AddAlarmFields(std::vector<Field> &fields);
    static void AddNames(std::vector<Field> &fields, int page, int firstRow);
    static void AddExchanges(PanelTables &tables, const std::vector<Step> &beforeNames,
                             const std::vector<Step> &afterNames, const QList<int> &moreNamePages);

protected:
    FinchPanel(const SensorRows &rows, PanelTables tables, QWidget *parent);

    void Form_Activate() override;
    void ApplyGates() override;
    void ParseCurrentData(const QByteArray &reply) override;
    void AfterDownload() override;
    bool CheckEntries(bool calOnly) override;
    QString FieldTitle(const Field &field) const override;

    void btnRefresh_Click() override;
    void btnSave_Click() override;
    void btnClose_Click() override;
    void btnCal_Click() override;
    void btnStoreCalFactors_Click() override;
    void btnReset_Click() override;

    // The text of a sensor's reading that is a number.
    virtual QString NumericReading(int row, float reading) const;
    // Whether the actual boxes as they stand can be worked into factors at all.
    virtual bool ReadyToCalibrate() { return true; }

    bool IsDoor(int row) const { return row >= txtLL.size(); }

private:
    void btnCF_Click();
    void SetFactors(const QStringList &texts);
};
