// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_model.h"

#include <algorithm>
#include <numeric>

namespace tunedeck {
namespace {

QString oneLine(const QString& text) {
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c == u'\n' || c == u'\r'; }))
        return text;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

}  // namespace

void ListModel::setHeaders(const QList<Header>& headers) {
    beginResetModel();
    headers_ = headers;
    rows_.clear();
    endResetModel();
}

void ListModel::setRows(std::vector<ListRow> rows) {
    beginResetModel();
    for (ListRow& row : rows) {
        row.cells.resize(std::max<qsizetype>(headers_.size(), 1));
        for (QString& cell : row.cells)
            cell = oneLine(cell);
    }
    rows_ = std::move(rows);
    endResetModel();
}

QString ListModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= rows_[row].cells.size())
        return {};
    return rows_[row].cells[column];
}

QString ListModel::key(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return rows_[row].key.isNull() ? rows_[row].cells[0] : rows_[row].key;
}

const std::any& ListModel::value(int row) const {
    static const std::any none;
    return row < 0 || row >= rowCount() ? none : rows_[row].value;
}

void ListModel::removeAllRows() {
    beginResetModel();
    rows_ = {};  // with its capacity, which may be that of a large folder
    endResetModel();
}

void ListModel::sortByColumn(int column) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return text(a, column).compare(text(b, column), Qt::CaseInsensitive) < 0;
    });
    std::vector<ListRow> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRow(rows_.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(rows_[order[i]]));
        newRow[order[i]] = int(i);
    }
    rows_ = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& old : before)
        after.append(index(newRow[old.row()], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(headers_.value(index.column()).alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headers_[section].caption;
    if (role == Qt::TextAlignmentRole)
        return int(headers_[section].alignment | Qt::AlignVCenter);
    return {};
}

}  // namespace tunedeck
