#pragma once

#include <QChar>
#include <QHash>
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
    void SetCell(int row, int column, const QString &text);
    virtual int CellBackColour(int row, int column) const = 0;
    virtual void SetCellBackColour(int row, int column, int colour) = 0;
    // Refills the split-screen grids from this grid after each cycle.
    virtual void FillInGrids() {}

    // Every named sensor keeps one row: the row that already shows its ID (`sensorId` as the
    // column shows it), else the first row no sensor has taken yet; -1 when the grid has no
    // row left for it. Found through an index of the ID column, since a cycle asks once per
    // sensor.
    int RowOfSensor(const QString &sensorId);

protected:
    virtual void WriteCell(int row, int column, const QString &text) = 0;
    // Implementations call this when their cells were cleared.
    void ForgetSensorRows() { m_indexed = false; }

private:
    void IndexSensorRows();

    bool m_indexed = false;
    QHash<QString, int> m_rowOfId; // the first row showing each ID
    int m_firstFree = 1;           // no row before it is free
};

// A grid that is only memory: used headless and in tests.
class PlainStatusGrid final : public StatusGridView {
public:
    explicit PlainStatusGrid(int rows = 1) { SetRowCount(rows); }
    // Rows added are empty; the ones kept keep their cells.
    void SetRowCount(int rows);
    int RowCount() const override { return m_cells.size(); }
    QString Cell(int row, int column) const override { return m_cells.at(row).at(column); }
    int CellBackColour(int row, int column) const override { return m_colours.at(row).at(column); }
    void SetCellBackColour(int row, int column, int colour) override
    {
        m_colours[row][column] = colour;
    }

protected:
    void WriteCell(int row, int column, const QString &text) override
    {
        m_cells[row][column] = text;
    }

private:
    QList<QList<QString>> m_cells;
    QList<QList<int>> m_colours;
};

// The window installs its grid; with none installed the core fills nothing.
void InstallStatusGrid(StatusGridView *grid);
StatusGridView *InstalledStatusGrid();
