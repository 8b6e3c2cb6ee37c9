// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_mtp_mount.h"
#include "usb_holders.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tunedeck {
namespace {

using namespace Qt::StringLiterals;

// GNOME's MTP file system is asked to let go only when it is among the holders, and only of the device's own
// MTP volume: never another device's, nor another backend's of the same node.
TEST(DesktopMtpMount, OnlyGnomeMtpIsAskedAndOnlyForItsVolumeOfTheDevice) {
    const std::tuple<QStringList, bool> holders[] = {
        {{u"gvfsd-mtp (PID 812)"_s}, true},
        {{u"kiod5 (PID 90)"_s, u"gvfsd-mtp (PID 812)"_s}, true},
        {{u"kiod5 (PID 90)"_s}, false},           // KDE's offers no such release
        {{u"gvfsd (PID 700)"_s}, false},          // gvfs's daemon itself holds no player
        {{u"gvfsd-mtp-x (PID 3)"_s}, false},      // a name it begins
        {{u"tunedeck-player (PID 5)"_s}, false},  // another Tunedeck
        {QStringList(), false}};
    for (const auto& [programs, asked] : holders)
        EXPECT_EQ(gnomeMtpHolds(programs), asked) << programs.join(u", ").toStdString();

    // As gvfs 1.50 listed the test machine's player, mounted, with a USB drive's volume and a gphoto2 volume
    // of the same node beside it, and the player's twin at the next address.
    const QString listing =
        uR"(Drive(0): USB Stick
  Type: GProxyDrive (GProxyVolumeMonitorUDisks2)
  ids:
   unix-device: '/dev/sdb'
  Volume(0): STICK
    Type: GProxyVolume (GProxyVolumeMonitorUDisks2)
    ids:
     unix-device: '/dev/sdb1'
    activation_root=mtp://not-a-player/
Volume(1): Camera
  Type: GProxyVolume (GProxyVolumeMonitorGPhoto2)
  ids:
   unix-device: '/dev/bus/usb/001/002'
  activation_root=gphoto2://Tunedeck_Test_MTP_player_MTP0001/
Volume(2): Test MTP player
  Type: GProxyVolume (GProxyVolumeMonitorMTP)
  ids:
   unix-device: '/dev/bus/usb/001/003'
  activation_root=mtp://Twin/
Volume(3): Test MTP player
  Type: GProxyVolume (GProxyVolumeMonitorMTP)
  ids:
   unix-device: '/dev/bus/usb/001/002'
  activation_root=mtp://Tunedeck_Test_MTP_player_MTP0001/
  can_mount=1
  Mount(0): Test MTP player -> mtp://Tunedeck_Test_MTP_player_MTP0001/
    Type: GProxyShadowMount (GProxyVolumeMonitorMTP)
Mount(1): mtp -> mtp://Tunedeck_Test_MTP_player_MTP0001/
  Type: GDaemonMount
)"_s;
    // A volume whose identifiers say nothing of the node, then a mount's line: neither is the device's.
    const QString stray =
        uR"(Volume(0): Stray
  activation_root=mtp://Stray/
Mount(0): x -> mtp://Other/
   unix-device: '/dev/bus/usb/001/002'
  activation_root=mtp://Mounted/
)"_s;
    const std::tuple<QString, int, int, QString> volumes[] = {
        {listing, 1, 2, u"mtp://Tunedeck_Test_MTP_player_MTP0001/"_s},
        {listing, 1, 3, u"mtp://Twin/"_s},  // one ID_SERIAL or not, the node tells them apart
        {listing, 2, 2, QString()},
        {listing, 1, 20, QString()},
        {stray, 1, 2, QString()},
        {QString(), 1, 2, QString()}};  // gio absent or silent
    for (const auto& [volumesListed, bus, address, root] : volumes)
        EXPECT_EQ(mtpVolumeRoot(volumesListed, bus, address), root) << bus << ' ' << address;
}

}  // namespace
}  // namespace tunedeck
