#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_player_suite.sh BUILD_DIR: the player tests on the real kernel: one guest runs usb_player_guest.sh
# against a USB player of two FAT memories, then the host checks the images it leaves in BUILD_DIR/vm.
# Exits 77 (skipped) only when QEMU or Debian's kernel is missing; scripts/setup installs both.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
# shellcheck source-path=SCRIPTDIR source=require_machine.sh
. "$here/require_machine.sh"

work=$build/vm
status=0
"$here/run.sh" "$work" "$here/usb_player_guest.sh" "$build" || status=$?
"$here/check_images.sh" "$work" || status=1
echo "usb_player_suite.sh: logs in $work (share/guest.log, console.log)"
exit "$status"
