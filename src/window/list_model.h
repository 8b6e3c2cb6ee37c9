// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include <any>
#include <vector>

namespace tunedeck {

// One row of a ListView: its cells' texts, and a key and a value the program keeps with it (what the row
// stands for: a file's size in bytes, a song's place on the player), which move with the row.
struct ListRow {
    QStringList cells;
    QString key;
    std::any value;
};

// The rows of a ListView: texts only, one list of cells a row, and each column's caption and alignment. A
// line break in a text is kept as a space: a row is one line, on the screen and wherever its text goes.
class ListModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Header {
        QString caption;
        Qt::Alignment alignment;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setHeaders(const QList<Header>& headers);
    // Replaces every row at once: one change for the views, however many rows.
    void setRows(std::vector<ListRow> rows);
    QString text(int row, int column) const;
    // The key the row was given; its first text when it was given none.
    QString key(int row) const;
    // The value the row was given; an empty one outside the rows.
    const std::any& value(int row) const;
    void removeAllRows();
    // Stable, so rows of equal text keep their order; selection and current item follow their rows.
    void sortByColumn(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Every item may be dragged; the view decides whether it is a drag source at all.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QList<Header> headers_;
    std::vector<ListRow> rows_;
};

}  // namespace tunedeck
