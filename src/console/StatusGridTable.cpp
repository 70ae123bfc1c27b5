#include "StatusGridTable.h"

#include "WindowsColour.h"

#include <QHeaderView>

#include <array>

namespace {

struct ColumnLayout {
    const char *heading;
    int twips;
};

constexpr std::array<ColumnLayout, StatusColumn::Count> kColumns = {{
    {"Device", 2500},
    {"Sensor", 2500},
    {"Reading", 1300},
    {"Units", 500},
    {"Status", 2500},
    {"Sensor ID", 1000},
}};

constexpr int kSplitGridPointSize = 8;

int TwipsToPixels(int twips, const QWidget &widget)
{
    return twips * widget.logicalDpiX() / 1440;
}

// The grid's general alignment: numbers to the right, other text to the left; the device
// column is always left-aligned.
Qt::Alignment CellAlignment(int column, const QString &text)
{
    bool number = false;
    if (column != StatusColumn::Device)
        text.toDouble(&number);
    return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

} // namespace

StatusGridTable::StatusGridTable(const QString &name, QWidget *parent) : QTableWidget(parent)
{
    setObjectName(name);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    Configure(0);
}

void StatusGridTable::Configure(int dataRows)
{
    clear();
    setColumnCount(StatusColumn::Count);
    setRowCount(dataRows);
    for (int column = 0; column < StatusColumn::Count; ++column) {
        auto *heading = new QTableWidgetItem(QString::fromLatin1(kColumns[column].heading));
        heading->setTextAlignment(CellAlignment(column, {}));
        setHorizontalHeaderItem(column, heading);
        setColumnWidth(column, TwipsToPixels(kColumns[column].twips, *this));
    }
}

void StatusGridTable::SetGridColours(int backColour, int textColour, bool bold)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, WindowsColour(backColour));
    colours.setColor(QPalette::Text, WindowsColour(textColour));
    setPalette(colours);
    QFont gridFont = font();
    gridFont.setBold(bold);
    setFont(gridFont);
}

int StatusGridTable::GridBackColour() const
{
    return WindowsColourValue(palette().color(QPalette::Base));
}

int StatusGridTable::GridTextColour() const
{
    return WindowsColourValue(palette().color(QPalette::Text));
}

void StatusGridTable::SetSplitGrids(StatusGridTable *normal, StatusGridTable *others)
{
    m_normalGrid = normal;
    m_othersGrid = others;
}

int StatusGridTable::RowCount() const
{
    return rowCount() + 1;
}

QString StatusGridTable::Cell(int row, int column) const
{
    const QTableWidgetItem *cell = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
    return cell ? cell->text() : QString();
}

QTableWidgetItem *StatusGridTable::ItemAt(int row, int column)
{
    if (row == 0)
        return horizontalHeaderItem(column);
    QTableWidgetItem *cell = item(row - 1, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        setItem(row - 1, column, cell);
    }
    return cell;
}

void StatusGridTable::SetCell(int row, int column, const QString &text)
{
    QTableWidgetItem *cell = ItemAt(row, column);
    cell->setText(text);
    if (row > 0)
        cell->setTextAlignment(CellAlignment(column, text));
}

int StatusGridTable::CellBackColour(int row, int column) const
{
    const QTableWidgetItem *cell = row == 0 ? nullptr : item(row - 1, column);
    if (!cell || cell->background().style() == Qt::NoBrush)
        return GridBackColour();
    return WindowsColourValue(cell->background().color());
}

void StatusGridTable::SetCellBackColour(int row, int column, int colour)
{
    if (row > 0)
        ItemAt(row, column)->setBackground(WindowsColour(colour));
}

void StatusGridTable::AppendCopy(const StatusGridTable &from, int row)
{
    const int target = RowCount() - 1;
    const int colour = from.CellBackColour(row, StatusColumn::Status);
    for (int column = 0; column < StatusColumn::Count; ++column) {
        SetCell(target, column, from.Cell(row, column));
        SetCellBackColour(target, column, colour);
    }
    setRowCount(rowCount() + 1);
}

void StatusGridTable::FillInGrids()
{
    if (!m_normalGrid || !m_othersGrid)
        return;
    for (StatusGridTable *grid : {m_normalGrid, m_othersGrid}) {
        grid->Configure(1);
        QFont splitFont(font().family());
        splitFont.setPointSize(kSplitGridPointSize);
        grid->setFont(splitFont);
    }
    for (int row = 1; row < RowCount(); ++row) {
        const bool normal = CellBackColour(row, StatusColumn::Status) == kColourGreen;
        (normal ? m_normalGrid : m_othersGrid)->AppendCopy(*this, row);
    }
}
