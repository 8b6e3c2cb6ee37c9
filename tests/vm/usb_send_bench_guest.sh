#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_send_bench_guest.sh BUILD_DIR: in the guest, send_bench's send to a USB player: the window sends 20 songs
# of 4 MiB to the player's internal memory, mounted by UDisks2 as a desktop mounts it, beside cp and sync of the
# same files onto it. Run with a memory that holds them:
#   VM_INTERNAL_MIB=256 tests/vm/run.sh build/release/vm-bench tests/vm/usb_send_bench_guest.sh build/release
set -euo pipefail
build=$1
# shellcheck source-path=SCRIPTDIR source=guest_setup.sh
. "$(dirname "$0")/guest_setup.sh"

udisksctl mount -b "$internal_disk" --no-user-interaction
volume=$(findmnt -n -o TARGET "$internal_disk")
findmnt -n -o OPTIONS "$internal_disk"
TUNEDECK_BENCH_VOLUME=$volume "$build/bin/send_bench" --benchmark_filter=BM_MenuSendToAVolume
udisksctl unmount -b "$internal_disk" --no-user-interaction
