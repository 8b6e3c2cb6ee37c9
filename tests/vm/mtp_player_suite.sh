#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# mtp_player_suite.sh BUILD_DIR [GUEST_SCRIPT]: the MTP player tests on the real kernel: one guest, without the
# mass-storage players, runs GUEST_SCRIPT (mtp_player_guest.sh) against umtprd on a USB gadget; work folder
# BUILD_DIR/vm-mtp, or BUILD_DIR/vm-NAME for another guest script NAME.sh. Exits 77 (skipped) only when QEMU,
# Debian's kernel or the MTP programs the guest runs are missing (a guest script may skip too); scripts/setup
# installs them all.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
# shellcheck source-path=SCRIPTDIR source=require_machine.sh
. "$here/require_machine.sh"
# The guest runs this machine's programs: the responder, libmtp's tools, and the probe udev runs.
for program in /usr/bin/umtprd:umtp-responder /usr/bin/mtp-detect:mtp-tools /lib/udev/mtp-probe:libmtp-runtime; do
    if [ ! -x "${program%%:*}" ]; then
        echo "skipped: ${program%%:*} is missing (package ${program#*:})"
        exit 77
    fi
done

guest=${2:-mtp_player_guest.sh}
work=$build/vm-mtp
[ "$guest" = mtp_player_guest.sh ] || work=$build/vm-${guest%.sh}
VM_USB_DISKS=0 "$here/run.sh" "$work" "$here/$guest" "$build" && status=0 || status=$?
echo "mtp_player_suite.sh: logs in $work (share/guest.log, console.log)"
exit "$status"
