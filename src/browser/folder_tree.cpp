// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_tree.h"

#include "folder_entries.h"
#include "folder_path.h"
#include "local_path.h"

#include <QDir>
#include <QStyle>

namespace tunedeck {
namespace {

constexpr int kPathRole = Qt::UserRole;

QString normalised(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setIndentation(fontMetrics().height());
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { open(item->data(0, kPathRole).toString()); });
}

bool FolderTree::setPath(const QString& folder) {
    const QString path = normalised(folder);
    if (!isFolder(path))
        return false;
    path_ = path;
    rebuild();
    emit changed();
    return true;
}

void FolderTree::open(const QString& folder) {
    QString candidate = normalised(folder);
    while (!setPath(candidate)) {
        const QString up = normalised(folderUp(candidate));
        if (up == candidate)
            return;
        candidate = up;
    }
}

void FolderTree::refresh() {
    if (!path_.isEmpty())
        rebuild();
}

QString FolderTree::highlightedPath() const {
    const QTreeWidgetItem* item = currentItem();
    return item ? item->data(0, kPathRole).toString() : path_;
}

void FolderTree::rebuild() {
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto entry = [](QTreeWidgetItem* item, const QString& caption, const QString& path,
                          const QIcon& icon) {
        item->setText(0, caption);
        item->setData(0, kPathRole, path);
        item->setIcon(0, icon);
        return item;
    };

    clear();
    QTreeWidgetItem* current =
        entry(new QTreeWidgetItem(this), QStringLiteral("/"), QStringLiteral("/"), openIcon);
    QString path = QStringLiteral("/");
    for (const QString& name : path_.split(u'/', Qt::SkipEmptyParts)) {
        path = withSeparator(path) + name;
        current = entry(new QTreeWidgetItem(current), nameText(name), path, openIcon);
    }
    QStringList subfolders;
    readFolder(path_, [&subfolders](QString name, EntryKind kind) {
        if (kind == EntryKind::Folder)
            subfolders.append(std::move(name));
    });
    sortByName(subfolders);
    for (const QString& name : subfolders)
        entry(new QTreeWidgetItem(current), nameText(name), withSeparator(path_) + name, closedIcon);
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

}  // namespace tunedeck
