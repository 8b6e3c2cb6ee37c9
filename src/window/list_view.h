// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "list_model.h"

#include <QList>
#include <QString>
#include <QTableView>
#include <QUrl>

#include <functional>

class QAbstractItemView;
class QMimeData;

namespace tunedeck {

class Twips;

// A report-style list: one row an item, the item's text in the first column and its sub-items in the
// others, grid lines, whole-row selection, several rows selectable at once, no editing. The texts live in a
// model of plain rows, so that tens of thousands of items fill quickly.
class ListView : public QTableView {
    Q_OBJECT
  public:
    struct Column {
        QString caption;
        int widthTwips;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // Replaces the column headers.
    void setColumns(const QList<Column>& columns, const Twips& twips);

    QString itemText(int row) const;
    // Replaces every item at once, each with its key and value.
    void setItems(std::vector<ListRow> items);
    // The key an item was given; its text when it was given none.
    QString itemKey(int row) const;
    // The value an item was given, as the type it was given as; std::bad_any_cast for any other type, and
    // outside the items.
    template <typename T>
    const T& itemValue(int row) const {
        return std::any_cast<const T&>(model_->value(row));
    }
    // Sub-item n (1-based) is column n + 1.
    QString subItemText(int row, int subItem) const;
    int itemCount() const;
    void removeAllItems();
    bool isItemSelected(int row) const;
    // The row of the current item; -1 when there is none.
    int currentRow() const { return currentIndex().row(); }

    // Sorting: when on, the rows are in ascending order of the text in the sort key's column (0-based),
    // without regard to case. Switching it off leaves the rows as they are; the key stays.
    void setSorted(bool sorted);
    bool isSorted() const { return sorted_; }
    void setSortKey(int column);
    int sortKey() const { return sortKey_; }

    // The 1-based position of the item at `position` in the list's viewport; 0 when there is none, also
    // outside the viewport.
    int positionAt(QPoint position) const;

    // Whether a drag with the left button selects the rows it passes over (on by default). A list whose
    // drag is a gesture of its own turns it off, and the selection stays as the press made it.
    void setDragSelects(bool dragSelects) { dragSelects_ = dragSelects; }
    // A frame around one row (0-based), such as the target of a drag; -1 for none.
    void setMarkedRow(int row);
    int markedRow() const { return markedRow_; }
    // Makes the list a source of file drags: dragging its selected items offers `files()` as a copy.
    void setDragFiles(std::function<QList<QUrl>()> files);
    // What a drag from the list carries.
    QMimeData* dragData() const;

  signals:
    // A key went down while the list has the focus, before the list acts on it.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // A mouse button went down over the list, after the list has taken the press; `position` in the list's
    // viewport.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    // A mouse button was released over the list, after the list has taken the click (its selection is up to
    // date); `position` in the list's viewport.
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    // The pointer moved with a button held down on the list; the list keeps the mouse until the release, so
    // `position` (in the list's viewport) may lie outside it.
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint position);
    // Files were dropped on a list that accepts drops; the drop is always a copy, so no source is removed.
    void filesDropped(const QList<QUrl>& urls);
    // A double-click anywhere in the list, on an item or not.
    void doubleClick();
    // The Menu key or Shift+F10 asked for the list's pop-up menu; the list does not act on the key.
    void popupMenuKey();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

  private:
    static bool acceptFiles(QDropEvent* event);
    void sortRows();

    ListModel* model_;
    bool sorted_ = false;
    int sortKey_ = 0;
    bool dragSelects_ = true;
    int markedRow_ = -1;
    std::function<QList<QUrl>()> dragFiles_;
};

// Where a pop-up menu opened from the keyboard appears, in global coordinates: under the view's current item
// when it is in sight, else at the top left of the view's viewport.
QPoint popupMenuPosition(const QAbstractItemView& view);

}  // namespace tunedeck
