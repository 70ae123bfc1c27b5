#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

// The compaction program's one window: backs up finch.mdb in the program folder,
// compacts it and puts the checked compacted copy in its place, a list line per step.
class Main : public QWidget {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);

    // Run once, when the window is first shown.
    void Form_Activate();
    void btnCDB_Click();
    // One whole backup-and-compaction run. It does not yield to the event loop, so the
    // window takes no input until it ends.
    void PackwellTest();

    QLabel *Label1;
    QListWidget *List;
    QPushButton *btnCDB;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The description for the run's error box; nothing when the run ended on its own.
    std::optional<QString> Run();
    void Add(const QString &line);

    bool m_activated = false;
};

// The program as its main runs it: its title, real message boxes, the window until it closes.
int RunPackwell();
