#pragma once

#include <QListView>

class StatusLinePainter;

// The main window's status list, lstStatus, over the status board. The board changes
// several times per polled device: a changed line costs one layout of its own text, where
// the plain list view lays out every line again and each painted line several times.
class StatusList final : public QListView {
    Q_OBJECT

public:
    explicit StatusList(QWidget *parent = nullptr);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles) override;

private:
    StatusLinePainter *m_painter;
};
