// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_view.h"

#include "input_state.h"
#include "list_model.h"
#include "twips.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace tunedeck {

ListView::ListView(QWidget* parent) : QTableView(parent), model_(new ListModel(this)) {
    setModel(model_);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves on to the next control, as in any list of the desktop, instead of from cell to cell.
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(1);  // a narrow column keeps its designed width
}

ListView::~ListView() = default;

void ListView::setColumns(const QList<Column>& columns, const Twips& twips) {
    QList<ListModel::Header> headers;
    for (const Column& column : columns)
        headers.append({column.caption, column.alignment});
    model_->setHeaders(headers);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, twips.toPixels(columns[i].widthTwips));
}

QString ListView::itemText(int row) const {
    return model_->text(row, 0);
}

void ListView::setItems(std::vector<ListRow> items) {
    model_->setRows(std::move(items));
}

QString ListView::itemKey(int row) const {
    return model_->key(row);
}

QString ListView::subItemText(int row, int subItem) const {
    return model_->text(row, subItem);
}

int ListView::itemCount() const {
    return model_->rowCount();
}

void ListView::removeAllItems() {
    model_->removeAllRows();
}

bool ListView::isItemSelected(int row) const {
    return selectionModel()->isSelected(model_->index(row, 0));
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
    if (sorted_)
        model_->sortByColumn(sortKey_);
}

// The view would also name a row scrolled out of sight beyond its edge.
int ListView::positionAt(QPoint position) const {
    if (!viewport()->rect().contains(position))
        return 0;
    const QModelIndex index = indexAt(position);
    return index.isValid() ? index.row() + 1 : 0;
}

void ListView::setMarkedRow(int row) {
    if (row == markedRow_)
        return;
    markedRow_ = row;
    viewport()->update();
}

void ListView::setDragFiles(std::function<QList<QUrl>()> files) {
    dragFiles_ = std::move(files);
    setDragEnabled(true);
}

QMimeData* ListView::dragData() const {
    auto* data = new QMimeData;
    data->setUrls(dragFiles_());
    return data;
}

// Only ever a copy: the files stay where they are.
void ListView::startDrag(Qt::DropActions /*supportedActions*/) {
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData());
    drag->exec(Qt::CopyAction);
}

void ListView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

// Files are taken, and only as a copy: a file manager removes the source of a move.
bool ListView::acceptFiles(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void ListView::dragMoveEvent(QDragMoveEvent* event) {
    acceptFiles(event);
}

void ListView::dropEvent(QDropEvent* event) {
    if (acceptFiles(event))
        emit filesDropped(event->mimeData()->urls());
}

void ListView::keyPressEvent(QKeyEvent* event) {
    emit keyDown(event->key(), event->modifiers());
    if (input::opensPopupMenu(event->key(), event->modifiers())) {
        emit popupMenuKey();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ListView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    emit mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    if (dragSelects_ || !(event->buttons() & Qt::LeftButton))
        QTableView::mouseMoveEvent(event);
    emit mouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    emit mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

// The mark is drawn over the cells in the text colour, so that it also shows on a selected row.
void ListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (markedRow_ < 0 || markedRow_ >= itemCount() || model_->columnCount() == 0)
        return;
    const QRect row = visualRect(model_->index(markedRow_, 0))
                          .united(visualRect(model_->index(markedRow_, model_->columnCount() - 1)));
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    painter.drawRect(row.adjusted(1, 1, -1, -1));
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit doubleClick();
}

QPoint popupMenuPosition(const QAbstractItemView& view) {
    const QRect item = view.visualRect(view.currentIndex()).intersected(view.viewport()->rect());
    return view.viewport()->mapToGlobal(item.isEmpty() ? QPoint(0, 0) : item.bottomLeft());
}

}  // namespace tunedeck
