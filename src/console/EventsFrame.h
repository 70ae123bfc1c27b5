#pragma once

#include <QGroupBox>

#include <optional>

class DataGrid;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTabBar;
class QTextEdit;

// The main window's events view, frame frmErrors: the alarm viewer with its resolution
// entry and the grids of alarms, device failures and system errors.
class EventsFrame final : public QGroupBox {
    Q_OBJECT

public:
    explicit EventsFrame(QWidget *parent = nullptr);

    // Shows the alarm AlarmNum chooses, 1 being the newest.
    void DisplayAlarms();
    void RefreshEventsDatabase();

    QTabBar *tabMain = nullptr;
    QTextEdit *rtbAlarms = nullptr;
    QScrollBar *AlarmNum = nullptr;
    QLabel *lblAlarmRecordNum = nullptr;
    QPushButton *btnResolution = nullptr;
    QGroupBox *frmResolution = nullptr;
    QPlainTextEdit *txtResolution = nullptr;
    QPushButton *btnSaveResolution = nullptr;
    QPushButton *btnCancelResolution = nullptr;
    DataGrid *dbgridAlarms = nullptr;
    DataGrid *dbgridDeviceAlarms = nullptr;
    DataGrid *dbgridSystemErrors = nullptr;

signals:
    // A clearing action reloads and redisplays everything through the Events menu.
    void EventsMenuRequested();

private:
    void btnResolution_Click();
    void btnSaveResolution_Click();
    void btnCancelResolution_Click();
    void tabMain_Click(int tab);
    void ClearRows(const QString &question, bool (*deleteRows)());
    void dbgridSystemErrors_DblClick();

    QGridLayout *m_gridsLayout = nullptr;
    // The alarm on show: a resolution is saved to it even when newer alarms came meanwhile.
    std::optional<qint64> m_shownAlarm;
};
