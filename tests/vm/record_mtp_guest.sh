#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# record_mtp_guest.sh NAME COMMAND...: in the guest, for record_mtp.sh: starts the MTP player, writes its udev
# record to the share's device.umockdev, then runs COMMAND while tcpdump captures the player's bus (usbmon) into
# the share's NAME.pcap. COMMAND's output goes to the share's NAME.out, the player's sysfs path to its sysfs.
set -euo pipefail
name=$1
shift
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$here/guest_base.sh"
# shellcheck source-path=SCRIPTDIR source=mtp_responder.sh
. "$here/mtp_responder.sh"

start_mtp_player 48
umockdev-record "$mtp_node" > "$VM_SHARE/device.umockdev"
echo "$mtp_sysfs" > "$VM_SHARE/sysfs"

modprobe usbmon
tcpdump -i "usbmon$(cat "$mtp_sysfs/busnum")" -U -w /tmp/capture.pcap 2> /tmp/tcpdump.log &
capture=$!
capturing() {
    grep -q "^tcpdump: listening on" /tmp/tcpdump.log
}
retry_for 15 capturing || { cat /tmp/tcpdump.log >&2; exit 1; }

status=0
timeout 60 "$@" > "$VM_SHARE/$name.out" 2>&1 || status=$?
kill -INT "$capture"
wait "$capture" || true
cp /tmp/capture.pcap "$VM_SHARE/$name.pcap"
tail -n 2 /tmp/tcpdump.log
echo "record_mtp_guest.sh: $* exited with $status"
[ "$status" -ne 124 ] || { echo "record_mtp_guest.sh: $* hung for 60 s" >&2; exit 1; }
