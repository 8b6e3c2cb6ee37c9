#include "list_view.h"

#include "twips.h"

#include <QHeaderView>

namespace tunedeck {

ListView::ListView(QWidget* parent) : QTableWidget(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(1);  // a narrow column keeps its designed width
}

void ListView::setColumns(const QList<Column>& columns, const Twips& twips) {
    setColumnCount(0);
    setColumnCount(int(columns.size()));
    alignments_.clear();
    for (int i = 0; i < columns.size(); ++i) {
        auto* header = new QTableWidgetItem(columns[i].caption);
        header->setTextAlignment(columns[i].alignment | Qt::AlignVCenter);
        setHorizontalHeaderItem(i, header);
        setColumnWidth(i, twips.toPixels(columns[i].widthTwips));
        alignments_.append(columns[i].alignment);
    }
}

int ListView::addItem(const QString& text) {
    const int row = rowCount();
    insertRow(row);
    setCell(row, 0, text);
    return row;
}

void ListView::setSubItem(int row, int subItem, const QString& text) {
    setCell(row, subItem, text);
}

QString ListView::itemText(int row) const {
    return subItemText(row, 0);
}

QString ListView::subItemText(int row, int subItem) const {
    const QTableWidgetItem* cell = item(row, subItem);
    return cell ? cell->text() : QString();
}

void ListView::removeAllItems() {
    setRowCount(0);
}

bool ListView::isItemSelected(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell && cell->isSelected();
}

void ListView::setCell(int row, int column, const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(alignments_.value(column, Qt::AlignLeft) | Qt::AlignVCenter);
    setItem(row, column, cell);
}

}  // namespace tunedeck
