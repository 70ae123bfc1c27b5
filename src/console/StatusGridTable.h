#pragma once

#include "StatusGrid.h"

#include <QTableWidget>

// One of the main window's sensor grids: the status grid gridServerStatus and the two
// split-screen grids Grid2 and Grid3 share this layout. Row 0 of the core's view is the
// table's header; data row r is table row r - 1.
class StatusGridTable final : public QTableWidget, public StatusGridView {
    Q_OBJECT

public:
    explicit StatusGridTable(const QString &name, QWidget *parent = nullptr);

    // Cleared, with `dataRows` empty rows under the headings.
    void Configure(int dataRows);
    // Back colour, text colour (Windows colour values) and boldness of the whole grid.
    void SetGridColours(int backColour, int textColour, bool bold);
    int GridBackColour() const;
    int GridTextColour() const;

    // The split-screen grids refilled from this one: normal rows and the others.
    void SetSplitGrids(StatusGridTable *normal, StatusGridTable *others);
    void RefillSplitGrids();

    int RowCount() const override;
    QString Cell(int row, int column) const override;
    int CellBackColour(int row, int column) const override;
    void SetCellBackColour(int row, int column, int colour) override;
    void FillInGrids() override;

protected:
    void WriteCell(int row, int column, const QString &text) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FitColumns();
    QTableWidgetItem *ItemAt(int row, int column);
    // Row `target` becomes a copy of `row` of `from`, painted all over in the colour of
    // its Status cell.
    void CopyRow(const StatusGridTable &from, int row, int target);

    StatusGridTable *m_normalGrid = nullptr;
    StatusGridTable *m_othersGrid = nullptr;
};
