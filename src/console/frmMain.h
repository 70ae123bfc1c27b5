#pragma once

#include "StatusBoard.h"

#include <QMainWindow>

class QListWidget;

// The station's main window. It owns the status board list the core reports to.
class frmMain : public QMainWindow, public StatusBoardList {
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    QListWidget *lstStatus = nullptr;

    // StatusBoardList
    int LineCount() const override;
    QString Line(int index) const override;
    void ReplaceLine(int index, const QString &text) override;
    void RemoveLine(int index) override;
    void AppendLine(const QString &text) override;
    void Clear() override;
};
