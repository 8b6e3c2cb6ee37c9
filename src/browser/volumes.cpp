// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <array>

namespace tunedeck {
namespace {

// Kernel interfaces, memory-backed scratch space and read-only package images: nothing a user keeps music
// in.
bool isPseudoFileSystem(const QByteArray& type) {
    static constexpr std::array<const char*, 24> kPseudo = {
        "proc",       "sysfs",   "devtmpfs",    "devpts",   "tmpfs",  "ramfs",      "cgroup",   "cgroup2",
        "securityfs", "debugfs", "tracefs",     "configfs", "pstore", "bpf",        "autofs",   "mqueue",
        "hugetlbfs",  "fusectl", "binfmt_misc", "efivarfs", "nsfs",   "rpc_pipefs", "squashfs", "overlay"};
    return std::any_of(kPseudo.begin(), kPseudo.end(), [&](const char* name) { return type == name; });
}

}  // namespace

Volume volumeOf(const QStorageInfo& storage) {
    return {.rootPath = storage.rootPath(),
            .name = storage.name(),
            .fileSystemType = storage.fileSystemType(),
            .rootIsFolder = QFileInfo(storage.rootPath()).isDir()};
}

QList<Volume> browsableVolumes(const QList<Volume>& mounted, const QString& workingVolumeRoot) {
    QList<Volume> volumes;
    for (const Volume& volume : mounted) {
        const bool isRoot = volume.rootPath == QStringLiteral("/");
        const bool wanted = isRoot || volume.rootPath == workingVolumeRoot ||
                            (volume.rootIsFolder && !isPseudoFileSystem(volume.fileSystemType));
        const bool listed = std::any_of(volumes.begin(), volumes.end(),
                                        [&](const Volume& v) { return v.rootPath == volume.rootPath; });
        if (!wanted || listed)
            continue;
        if (isRoot)
            volumes.prepend(volume);
        else
            volumes.append(volume);
    }
    return volumes;
}

QString driveCurrentFolder(const QString& driveRoot, const QString& workingFolder,
                           const QString& workingVolumeRoot) {
    return driveRoot == workingVolumeRoot ? workingFolder : driveRoot;
}

}  // namespace tunedeck
