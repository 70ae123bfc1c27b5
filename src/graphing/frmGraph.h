#pragma once

#include <QDialog>

class GraphChart;
class QLabel;
class QLineEdit;
class QPushButton;
struct Progress;
struct ScanResult;

// The chart of one record file of one sensor between two days. The report wizard sets the
// public members and shows it modally; the file is read and charted when it first shows.
class frmGraph : public QDialog {
    Q_OBJECT

public:
    explicit frmGraph(QWidget *parent = nullptr);

    qint32 SensorIDNum = 0;
    QString StartDate;
    QString EndDate;
    QString FileName;
    // Where the record range search shows its progress: the wizard's progress box.
    const Progress *searchProgress = nullptr;

    GraphChart *XYChart4 = nullptr;
    QLineEdit *txtMaxScale = nullptr;
    QLineEdit *txtMinScale = nullptr;
    QPushButton *btnApplyScale = nullptr;
    QLabel *lblRecordNum = nullptr;
    QLineEdit *txtRecordNum = nullptr;
    QPushButton *cmdClose = nullptr;

public slots:
    void ConfigureChart(int chartKind);
    void ScanLogFile();
    void ScanInstLogFile();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void Form_Activate();
    void ShowProgress(bool shown);
    void ShowChart(const ScanResult &result, int chartKind);
    void btnApplyScale_Click();
    void cmdClose_Click();

    bool m_activated = false;
};
