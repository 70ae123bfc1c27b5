#include "StatusGridTable.h"

#include "FormControls.h"
#include "WindowsColour.h"

#include <QHeaderView>

#include <algorithm>
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

constexpr int kRowPadding = 6;
constexpr int kHeadingPadding = 8;

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
    // The grid is disabled while a cycle writes it, every few seconds: it must not flash grey.
    QPalette colours = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        colours.setColor(QPalette::Disabled, r, colours.color(QPalette::Active, r));
    }
    setPalette(colours);
    Configure(0);
}

void StatusGridTable::Configure(int dataRows)
{
    clear();
    ForgetSensorRows();
    setColumnCount(StatusColumn::Count);
    setRowCount(dataRows);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPadding);
    for (int column = 0; column < StatusColumn::Count; ++column) {
        auto *heading = new QTableWidgetItem(QString::fromLatin1(kColumns[column].heading));
        heading->setTextAlignment(CellAlignment(column, {}));
        setHorizontalHeaderItem(column, heading);
    }
    FitColumns();
}

void StatusGridTable::FitColumns()
{
    std::array<int, StatusColumn::Count> laidOut{};
    std::array<int, StatusColumn::Count> headings{};
    int total = 0;
    for (int column = 0; column < StatusColumn::Count; ++column) {
        laidOut[column] = TwipsToPixels(kColumns[column].twips, *this);
        headings[column] =
            fontMetrics().horizontalAdvance(QString::fromLatin1(kColumns[column].heading)) +
            kHeadingPadding;
        total += laidOut[column];
    }
    std::array<int, StatusColumn::Count> widths = laidOut;
    // A grid too narrow for the layout (a split-screen half) narrows its columns alike
    // rather than hiding the last ones; a column held at its heading's width leaves the
    // others to share what is left.
    const int room = viewport()->width();
    std::array<bool, StatusColumn::Count> held{};
    bool narrowing = isVisible() && total > room;
    while (narrowing) {
        narrowing = false;
        int heldWidth = 0;
        int freeWidth = 0;
        for (int column = 0; column < StatusColumn::Count; ++column) {
            if (held[column])
                heldWidth += headings[column];
            else
                freeWidth += laidOut[column];
        }
        const int share = std::max(room - heldWidth, 0);
        for (int column = 0; column < StatusColumn::Count; ++column) {
            if (held[column])
                continue;
            widths[column] = laidOut[column] * share / freeWidth;
            if (widths[column] < headings[column]) {
                held[column] = true;
                widths[column] = headings[column];
                narrowing = true;
            }
        }
    }
    for (int column = 0; column < StatusColumn::Count; ++column)
        setColumnWidth(column, widths[column]);
}

void StatusGridTable::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    FitColumns();
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

void StatusGridTable::WriteCell(int row, int column, const QString &text)
{
    QTableWidgetItem *cell = ItemAt(row, column);
    // A cycle writes every cell again, mostly with the text it holds.
    if (row > 0 && cell->text() == text)
        return;
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

void StatusGridTable::CopyRow(const StatusGridTable &from, int row, int target)
{
    const int colour = from.CellBackColour(row, StatusColumn::Status);
    for (int column = 0; column < StatusColumn::Count; ++column) {
        SetCell(target, column, from.Cell(row, column));
        SetCellBackColour(target, column, colour);
    }
}

void StatusGridTable::FillInGrids()
{
    // Hidden, they are refilled as the split screen opens.
    if (m_normalGrid && !m_normalGrid->isHidden())
        RefillSplitGrids();
}

void StatusGridTable::RefillSplitGrids()
{
    if (!m_normalGrid || !m_othersGrid)
        return;
    QList<int> normalRows;
    QList<int> otherRows;
    for (int row = 1; row < RowCount(); ++row)
        (CellBackColour(row, StatusColumn::Status) == kColourGreen ? normalRows : otherRows)
            .append(row);
    for (const auto &[grid, rows] :
         {std::pair{m_normalGrid, &normalRows}, {m_othersGrid, &otherRows}}) {
        QFont splitFont(font().family());
        splitFont.setPointSize(kSplitGridPointSize);
        grid->setFont(splitFont);
        // Sized once: a row added at a time lays the grid out again each time. Each grid
        // ends with one empty row.
        grid->Configure(int(rows->size()) + 1);
        for (int i = 0; i < rows->size(); ++i)
            grid->CopyRow(*this, rows->at(i), i + 1);
    }
}
