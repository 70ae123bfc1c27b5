#pragma once

#include <QListView>

// The main window's status list, lstStatus, over the status board. A line whose text
// changes costs its own size and paint: the plain list view lays out and paints every
// line again, and the board changes several times per polled device.
class StatusList final : public QListView {
    Q_OBJECT

public:
    explicit StatusList(QWidget *parent = nullptr);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles) override;

private:
    bool Fits(const QModelIndex &line) const;
};
