// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_list.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace tunedeck {
namespace {

QString workingFolder() {
    return QDir::currentPath();
}

QString workingVolumeRoot() {
    return QStorageInfo(workingFolder()).rootPath();
}

QString caption(const Volume& volume) {
    return volume.name.isEmpty() ? volume.rootPath
                                 : QStringLiteral("%1 [%2]").arg(volume.rootPath, volume.name);
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    readVolumes(workingVolumeRoot());
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::changed);
}

QString DriveList::drive() const {
    return currentData().toString();
}

QString DriveList::currentFolder() const {
    return driveCurrentFolder(drive(), workingFolder(), workingVolumeRoot());
}

void DriveList::showPopup() {
    const QString chosen = drive();
    readVolumes(chosen);
    if (drive() != chosen)  // the chosen volume was unmounted
        emit changed();
    QComboBox::showPopup();
}

void DriveList::readVolumes(const QString& chosenRoot) {
    QList<Volume> mounted;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes())
        mounted.append(volumeOf(storage));

    // Re-reading the list is not a change of drive; the choice is kept when its volume is still there.
    const QSignalBlocker quiet(this);
    clear();
    for (const Volume& volume : browsableVolumes(mounted, workingVolumeRoot()))
        addItem(caption(volume), volume.rootPath);
    setCurrentIndex(std::max(0, findData(chosenRoot)));
}

}  // namespace tunedeck
