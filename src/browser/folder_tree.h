// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTreeWidget>

namespace tunedeck {

// The folder tree: the current folder under its ancestors, and its subfolders below it. Setting the current
// folder always reports a change, also when the folder stays the same. Moving through the tree never changes
// the process's working folder.
class FolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FolderTree(QWidget* parent = nullptr);

    const QString& path() const { return path_; }

    // Makes `folder` the current folder and reports the change; false, with nothing changed, when it is not a
    // folder that exists.
    bool setPath(const QString& folder);

    // Opens `folder`, or the nearest folder above it that still exists.
    void open(const QString& folder);

    // Reads the current folder's subfolders from the disk again.
    void refresh();

    // The full path of the highlighted entry.
    QString highlightedPath() const;

  signals:
    void changed();

  private:
    void rebuild();

    QString path_;
};

}  // namespace tunedeck
