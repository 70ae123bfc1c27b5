#pragma once

#include "PanelEngine.h"
#include "ServerDatabase.h"

#include <QStringList>

#include <map>

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

// A headed column of the rows after the name: txtReading, txtLL, txtUL and txtTOL are
// boxes the panel makes; any other stem is a cell the model fills (PlaceInRow).
struct RowColumn {
    QString stem;
    QString caption;
};

// The rows of a sensor panel and what sets one model's rows apart.
struct SensorRows {
    QStringList captions; // lblSensorType(i): also the SensorType stored
    QList<RowColumn> columns = {{QStringLiteral("txtReading"), QStringLiteral("Current Reading")},
                                {QStringLiteral("txtLL"), QStringLiteral("Lower Limit")},
                                {QStringLiteral("txtUL"), QStringLiteral("Upper Limit")},
                                {QStringLiteral("txtTOL"), QStringLiteral("Time")}};
    int limitRows = -1;     // rows 0 to n-1 have limit boxes; -1: every row
    int calibratedRows = 0; // rows 0 to n-1 get actual and correction boxes; 0: no calibration
    QString storeCaption;   // btnStoreCalFactors
    QString storeTip;
    QString resetCaption; // btnReset
    // Correction factors in tenths, shown ".0"; otherwise whole on the device and shown as
    // worked out.
    bool factorsInTenths = true;
    bool closesConnection = true;    // after activation, Save, Close and calibration
    bool nameFilter = true;          // names refuse "\\" and "/"
    bool keyWhitensLimit = true;     // typing in a limit box takes back a refusal's yellow
    std::map<int, QString> headings; // a label across the columns above row n
    QString notesCaption = QStringLiteral("Sensor Notes"); // frmNotes
    QString headingStem; // set: the captioned column headings are named stem(0), stem(1), ...
};

// stem followed by 1, 2, ... count: "Temperature Sensor Port 1".
QStringList NumberedCaptions(const QString &stem, int count);

// A model panel with sensor rows: names, limits, delays, readings and notes per row, the
// sensor table rows it stores, and calibration by correction factors.
class SensorPanel : public PanelEngine {
    Q_OBJECT

public:
    qint32 DatabaseID = 0;

    QList<QLabel *> lblSensorType;
    QList<QLineEdit *> txtName, txtReading, txtLL, txtUL, txtTOL, txtNotes;
    QGroupBox *frmNotes = nullptr;
    QPushButton *btnNotes = nullptr;

    // Calibration; absent when the model has none.
    QPushButton *btnCal = nullptr;
    QGroupBox *frmCal = nullptr;
    QList<QLabel *> lblName;
    QList<QLabel *> lblCal; // the column headings "Actual Temperature" and "Correction"
    QList<QLineEdit *> txtActualTemp, txtCF;
    QPushButton *btnStoreCalFactors = nullptr;
    QPushButton *btnReset = nullptr;
    QPushButton *btnCloseCal = nullptr;

protected:
    SensorPanel(const SensorRows &rows, PanelTables tables, QWidget *parent);

    // Where a model adds controls of its own: beside the rows, and in the calibration frame.
    QVBoxLayout *ModelArea() const { return m_modelArea; }
    QVBoxLayout *CalibrationArea() const { return m_calibrationArea; }
    // The alarm relay and buzzer option pairs of the models that have them, each pair
    // stacked in its own frame.
    static void BuildRelayAndBuzzer(QWidget *relayFrame, QWidget *buzzerFrame,
                                    QRadioButton *(&relay)[2], QRadioButton *(&buzzer)[2]);
    // Puts a model's own control for `row` into the column with that stem.
    void PlaceInRow(int row, const QString &stem, QWidget *widget);

    void Form_Activate() override;
    // Whole-number readings, as each row's sensor type shows them.
    void ParseCurrentData(const QByteArray &reply) override;
    void AfterDownload() override;
    // The sensor table rows a full upload stores; by default each row's limits and delay as
    // shown (rows without limit boxes store empty limits).
    virtual QList<SensorRecord> RowsToStore() const;
    SensorRecord Row(int row, const QString &upper, const QString &lower, const QString &tol) const;
    bool CheckRows() override;
    void StoreRows() override;
    bool RowNamed(int row) const override;
    QString FieldTitle(const Field &field) const override;

    void ClearTextBoxes() override;

    // The contract's event steps; a model whose steps differ overrides them.
    virtual void btnRefresh_Click();
    virtual void btnSave_Click();
    virtual void btnClose_Click();
    virtual void btnCal_Click();
    virtual void btnCloseCal_Click();
    virtual void btnStoreCalFactors_Click();
    virtual void btnReset_Click();

    // Writes each calibrated row's new factor; false, with a message and no box changed,
    // when one cannot be worked out.
    bool ComputeFactors();
    // After the calibration page is known read and `question` is answered OK, empties the
    // actual boxes and sets every factor to 0; false when refused or cancelled.
    bool ZeroFactorsIfConfirmed(const QString &question);
    // Closes the device connection on the models whose transfers close it.
    void CloseConnection() const;

private:
    void BuildRows(const SensorRows &rows);
    int ColumnOf(const QString &stem) const;
    int GridRow(int row) const;
    void BuildCalibration(const SensorRows &rows);
    void btnNotes_Click();

    const QList<RowColumn> m_columns;
    const bool m_factorsInTenths;
    const bool m_closesConnection;
    const std::map<int, QString> m_headings;
    QGridLayout *m_grid = nullptr;
    QVBoxLayout *m_modelArea = nullptr;
    QVBoxLayout *m_calibrationArea = nullptr;
};
