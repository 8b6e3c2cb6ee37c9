// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QStorageInfo;

namespace tunedeck {

// A mounted volume as the drive list shows it.
struct Volume {
    QString rootPath;
    QString name;  // the volume's label; may be empty
    QByteArray fileSystemType;
    bool rootIsFolder = true;  // false for a single file mounted over another (a container's /etc/hosts)

    friend bool operator==(const Volume&, const Volume&) = default;
};

Volume volumeOf(const QStorageInfo& storage);

// The volumes a user can browse for music, the root volume first and the others in mount order: pseudo and
// memory-backed file systems are left out, except the one holding `workingVolumeRoot`, where the program
// was started.
QList<Volume> browsableVolumes(const QList<Volume>& mounted, const QString& workingVolumeRoot);

// The folder the tree starts at on a drive: the working folder when it lies on that drive, else its root.
QString driveCurrentFolder(const QString& driveRoot, const QString& workingFolder,
                           const QString& workingVolumeRoot);

}  // namespace tunedeck
