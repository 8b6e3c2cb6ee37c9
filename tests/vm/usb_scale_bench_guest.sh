#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_scale_bench_guest.sh BUILD_DIR: in the guest, scale_bench on the USB player's internal memory, mounted by
# UDisks2 as a desktop mounts it: its music folder holds Held (1,000 songs), 60 other folders of 3 songs, and the
# empty Bench and Growth. Sends of 20 songs into Bench and Held beside cp and sync, a run of 1,000 songs into
# Growth, tunedeck-player ls beside ls -f, a second sync of Held and a sync of 200 onto 150 in Bench. Run with a memory that holds them, and time for them:
#   VM_INTERNAL_MIB=512 VM_TIMEOUT=1800 tests/vm/run.sh build/release/vm-scale-bench \
#       tests/vm/usb_scale_bench_guest.sh "$PWD/build/release"
set -euo pipefail
build=$1
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_setup.sh
. "$here/guest_setup.sh"
# shellcheck source-path=SCRIPTDIR source=preload_songs.sh
. "$here/preload_songs.sh"

udisksctl mount -b "$internal_disk" --no-user-interaction
volume=$(findmnt -n -o TARGET "$internal_disk")
findmnt -n -o OPTIONS "$internal_disk"
music=$volume/MUSIC
mkdir "$music/Bench" "$music/Growth"
preload_songs "$music/Held" 1000
for folder in $(seq -w 60); do
    preload_songs "$music/Other $folder" 3
done
sync
echo "guest: the memory is filled after $(cut -d' ' -f1 /proc/uptime) s"
find_players "$build/bin/tunedeck-player"
TUNEDECK_BENCH_USB=$two TUNEDECK_BENCH_MUSIC=$music "$build/bin/scale_bench" --benchmark_filter=Volume
udisksctl unmount -b "$internal_disk" --no-user-interaction
