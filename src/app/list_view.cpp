#include "list_view.h"

#include "twips.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace tunedeck {
namespace {

// A cell whose text orders without regard to case, as the desktop's list views sort file names.
class Cell final : public QTableWidgetItem {
  public:
    using QTableWidgetItem::QTableWidgetItem;
    QTableWidgetItem* clone() const override { return new Cell(*this); }
    bool operator<(const QTableWidgetItem& other) const override {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

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

void ListView::setSorted(bool sorted) {
    const bool switchedOn = sorted && !sorted_;
    sorted_ = sorted;
    if (switchedOn)
        sortRows();
}

void ListView::setSortKey(int column) {
    sortKey_ = column;
    sortRows();
}

void ListView::sortRows() {
    // The model's sort is stable, so rows of equal text keep their order.
    if (sorted_)
        sortItems(sortKey_, Qt::AscendingOrder);
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    emit mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    emit doubleClick();
}

void ListView::setCell(int row, int column, const QString& text) {
    auto* cell = new Cell(text);
    cell->setTextAlignment(alignments_.value(column, Qt::AlignLeft) | Qt::AlignVCenter);
    setItem(row, column, cell);
}

}  // namespace tunedeck
