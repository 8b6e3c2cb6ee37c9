// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_mtp_mount.h"
#include "usb_holders.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tunedeck {
namespace {

using namespace Qt::StringLiterals;

// GNOME's MTP file system is asked to let go only when it is among the holders; the device at bus 1, address
// 2 has only its own MTP volume taken for it, never another device's nor another backend's of the same node.
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

    const QString root = u"mtp://Tunedeck_Test_MTP_player_MTP0001/"_s;
    const std::tuple<QString, QString, bool> volumes[] = {
        {u"/dev/bus/usb/001/002"_s, root, true},
        {u"/dev/bus/usb/001/003"_s, root, false},  // the same model's other player, of one ID_SERIAL
        {u"/dev/bus/usb/002/002"_s, root, false},
        {u"/dev/bus/usb/001/002"_s, u"gphoto2://Tunedeck_Test_MTP_player_MTP0001/"_s, false},
        {u"/dev/bus/usb/001/0020"_s, root, false},
        {u"/dev/sdb1"_s, u"file:///media/player"_s, false},
        {u"/dev/bus/usb/001/002"_s, QString(), false},  // no activation root
        {QString(), root, false}};
    for (const auto& [device, activationRoot, taken] : volumes)
        EXPECT_EQ(isMtpVolumeOf(device, activationRoot, 1, 2), taken)
            << device.toStdString() << ' ' << activationRoot.toStdString();
}

}  // namespace
}  // namespace tunedeck
