#pragma once

#include "GraphingMain.h"

#include <QMainWindow>

#include <array>

class QAction;
class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The start window: the record files of the data folder with their sensors and ranges;
// a chosen range is charted or written to a CSV file, or every file is converted at once.
class frmReportWizard : public QMainWindow {
    Q_OBJECT

public:
    explicit frmReportWizard(QWidget *parent = nullptr);

    QLabel *lblDirectory = nullptr;
    QPushButton *btnBrowse = nullptr;
    QComboBox *cmboSensors = nullptr;
    std::array<QCalendarWidget *, 2> Calendar{};
    std::array<QLabel *, 2> lblStart{};
    std::array<QRadioButton *, 2> optOutput{};
    QPushButton *btnGo = nullptr;
    QPushButton *btnCancel = nullptr;
    QLabel *lblRecordNum = nullptr;
    QLineEdit *txtRecordNum = nullptr;
    QAction *mnuConvertAll = nullptr;
    QAction *mnuExit = nullptr;

    // The list's files and sensors, entry i for item i; the position of the last run.
    QStringList LogFileNames;
    QList<qint32> LogSensorIDs;
    qint16 SelectedLogIndex = 0;

    // Runs whenever the window becomes active again: at first show and after the graph
    // window or the folder picker it opened closes.
    void Form_Activate();

public slots:
    bool LogAllDataToCSVFile(const QString &fileName, const QString &csvPath);
    void BatchToCSV();
    void InitCalendar();
    void LoadLogFiles(const QString &folder);
    bool LogFileToCSV(const QString &fileName, const QString &csvPath, const QString &startDate,
                      const QString &endDate);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void cmboSensors_Click();
    void Calendar_Click(int index);
    void btnBrowse_Click();
    void btnGo_Click();
    void ShowProgress(const QString &text);
    void HideProgress();
    // While an export or scan runs only Cancel (and closing the window) acts.
    void SetRunning(bool running);
    QString DateText(int index) const;
    QString MonthYear(int index) const;

    Progress m_progress;
    QString m_lastError;
    bool m_shown = false;
};
