#pragma once

#include <QChar>
#include <QList>
#include <QString>

// The main window's status grid as the core sees it: row 0 holds the headings, one data
// row per named sensor. Colours are Windows colour values (red + 256*green + 65536*blue).
namespace StatusColumn {
constexpr int Device = 0;
constexpr int Sensor = 1;
constexpr int Reading = 2;
constexpr int Units = 3;
constexpr int Status = 4;
constexpr int SensorID = 5;
constexpr int Count = 6;
} // namespace StatusColumn

constexpr int kColourGreen = 65280;
constexpr int kColourRed = 255;
constexpr int kColourYellow = 65535;
constexpr int kColourWhite = 16777215;
constexpr int kColourLightGrey = 0xE0E0E0;

// Temperature unit texts are this sign followed by the unit letter ("\u00B0F").
constexpr QChar kDegreeSign{u'\u00B0'};

class StatusGridView {
public:
    virtual ~StatusGridView() = default;
    virtual int RowCount() const = 0;
    virtual QString Cell(int row, int column) const = 0;
    virtual void SetCell(int row, int column, const QString &text) = 0;
    virtual int CellBackColour(int row, int column) const = 0;
    virtual void SetCellBackColour(int row, int column, int colour) = 0;
    // Refills the split-screen grids from this grid after each cycle.
    virtual void FillInGrids() {}
};

// A grid that is only memory: used headless and in tests.
class PlainStatusGrid final : public StatusGridView {
public:
    explicit PlainStatusGrid(int rows = 1) { SetRowCount(rows); }
    void SetRowCount(int rows);
    int RowCount() const override { return m_cells.size(); }
    QString Cell(int row, int column) const override { return m_cells.at(row).at(column); }
    void SetCell(int row, int column, const QString &text) override { m_cells[row][column] = text; }
    int CellBackColour(int row, int column) const override { return m_colours.at(row).at(column); }
    void SetCellBackColour(int row, int column, int colour) override { m_colours[row][column] = colour; }

private:
    QList<QList<QString>> m_cells;
    QList<QList<int>> m_colours;
};

// The window installs its grid; with none installed the core fills nothing.
void InstallStatusGrid(StatusGridView *grid);
StatusGridView *InstalledStatusGrid();
