#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# record_mtp.sh OUT_DIR NAME -- COMMAND...: records an MTP session for playback on a machine without USB. Boots
# the test machine without its mass-storage players, starts the MTP player of mtp_responder.sh (its storages
# start with the same content every time), and runs COMMAND there while usbmon and tcpdump capture its USB
# traffic into OUT_DIR/NAME.pcap; COMMAND's output goes to OUT_DIR/NAME.out. The player's udev record goes to
# OUT_DIR/device.umockdev once: a folder's recordings share it, so it is kept when there. Prints the sysfs path
# that umockdev-run's --pcap needs. One operation a recording: umockdev's playback of a long session, above all
# one that writes, gets stuck.
#
# To record again, e.g. the recordings of tests/mtp/replay_test.sh:
#   rm tests/mtp/recordings/device.umockdev
#   tests/vm/record_mtp.sh tests/mtp/recordings mtp-detect -- mtp-detect
#   tests/vm/record_mtp.sh tests/mtp/recordings mtp-files -- mtp-files
#   tests/vm/record_mtp.sh tests/mtp/recordings tunedeck-ls -- "$PWD/build/release/bin/tunedeck-player" \
#       --player mtp:1d6b:0100:MTP0001 ls
# and play one back:
#   umockdev-run --device tests/mtp/recordings/device.umockdev \
#       --pcap /sys/devices/platform/dummy_hcd.0/usb1/1-1=tests/mtp/recordings/mtp-files.pcap -- mtp-files
# COMMAND runs as root in the guest with this machine's programs: a build tree's, by its absolute path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$#" -lt 4 ] || [ "$3" != -- ]; then
    echo "usage: record_mtp.sh OUT_DIR NAME -- COMMAND..." >&2
    exit 2
fi
out=$1
name=$2
shift 3
case $name in
    */* | .* | "") echo "record_mtp.sh: NAME must be a plain file name, not \"$name\"" >&2; exit 2 ;;
esac
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

VM_USB_DISKS=0 "$here/run.sh" "$work" "$here/record_mtp_guest.sh" "$name" "$@"
share=$work/share
cp "$share/$name.pcap" "$share/$name.out" "$out/"
if [ ! -f "$out/device.umockdev" ]; then
    cp "$share/device.umockdev" "$out/"
fi
sysfs=$(cat "$share/sysfs")
echo "record_mtp.sh: $out/$name.pcap ($(du -k "$out/$name.pcap" | cut -f1) KiB); play it back with"
echo "  umockdev-run --device $out/device.umockdev --pcap $sysfs=$out/$name.pcap -- $*"
