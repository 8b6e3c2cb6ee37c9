#pragma once

#include <QList>
#include <QString>
#include <QTableWidget>

namespace tunedeck {

class Twips;

// A report-style list: one row an item, the item's text in the first column and its sub-items in the
// others, grid lines, whole-row selection, several rows selectable at once, no editing.
class ListView : public QTableWidget {
    Q_OBJECT
  public:
    struct Column {
        QString caption;
        int widthTwips;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    explicit ListView(QWidget* parent = nullptr);

    // Replaces the column headers.
    void setColumns(const QList<Column>& columns, const Twips& twips);

    // Appends an item and returns its row (0-based).
    int addItem(const QString& text);
    // Sub-item n (1-based) is column n + 1.
    void setSubItem(int row, int subItem, const QString& text);
    QString itemText(int row) const;
    QString subItemText(int row, int subItem) const;
    int itemCount() const { return rowCount(); }
    void removeAllItems();
    bool isItemSelected(int row) const;

  private:
    void setCell(int row, int column, const QString& text);

    QList<Qt::Alignment> alignments_;
};

}  // namespace tunedeck
