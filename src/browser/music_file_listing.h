// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tunedeck {

// A music file by its name: the last four characters, in any case, are ".MP3" or ".RMP".
bool isMusicFileName(const QString& name);

// The names of the music files of `folder`, held as paths, in name order (sortByName): plain files only (no
// folders, pipes, devices or dangling links), and no hidden ones: a name starting with "." is hidden on
// Linux, which also leaves out the "._name.mp3" leftovers other systems put on memory sticks. Empty when the
// folder cannot be listed.
QStringList musicFileNames(const QString& folder);

// One line of the file list.
struct FileListRow {
    QString artist, title;
    QString size;       // "1,024KB"; empty when the file is gone by the time it is measured
    qint64 bytes = -1;  // the size it shows; -1 when it shows none

    friend bool operator==(const FileListRow&, const FileListRow&) = default;
};

// The artist and title from the file's tags (through the per-file title procedure, with the display format
// the fill looked up) and its size text. `folder` ends in the separator; `name` is held as a path.
FileListRow fileListRow(const QString& folder, const QString& name, QStringView displayFormat);

}  // namespace tunedeck
