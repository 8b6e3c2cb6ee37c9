// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The generated folder the benchmarks measure over.
namespace tunedeck::testing {

// A folder as the program meets it: 80% ".mp3" files of 64 KiB ending in ID3v1 tags (every other one with
// Japanese texts), 10% ".rmp" files with INFO lists (some sub-chunks of odd size) and 10% other files.
struct MusicFolder {
    QStringList musicFiles;  // the ".mp3" and ".rmp" files, full paths
    QStringList otherFiles;
};
MusicFolder writeMusicFolder(const QString& folder, int fileCount);

}  // namespace tunedeck::testing
