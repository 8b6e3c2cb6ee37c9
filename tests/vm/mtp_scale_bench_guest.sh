#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# mtp_scale_bench_guest.sh BUILD_DIR: in the guest, scale_bench on umtprd's MTP player, beside a program written
# straight on libmtp: sends of 20 songs into Music/Bench (empty) and Music/Held (500 songs), and a sync of 200
# onto 150 in Bench; umtprd started again on fresh folders, a run of 1,000 songs into Music/Growth; then,
# umtprd started again on a music folder of Listed (1,000 songs) alone, tunedeck-player ls and a second sync
# of Listed; last, send_bench's Esc in the middle of a song. Run without
# the mass-storage players, and with time for it:
#   VM_USB_DISKS=0 VM_TIMEOUT=1800 tests/vm/run.sh build/release/vm-mtp-scale-bench \
#       tests/vm/mtp_scale_bench_guest.sh "$PWD/build/release"
set -euo pipefail
build=$1
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$here/guest_base.sh"
# shellcheck source-path=SCRIPTDIR source=mtp_responder.sh
. "$here/mtp_responder.sh"
# shellcheck source-path=SCRIPTDIR source=preload_songs.sh
. "$here/preload_songs.sh"

fill_for_sends() {
    mkdir "$mtp_internal/Music/Bench" "$mtp_internal/Music/Growth"
    preload_songs "$mtp_internal/Music/Held" 500
}

# libmtp's notice of every open says nothing here.
run_bench() {
    local program=$1
    shift
    TUNEDECK_BENCH_MTP=$mtp_player_id "$build/bin/$program" "$@" 2>&1 | grep -v 'Android device detected'
}

# What the storage holds and what umtprd can say is free, as the long run starts and once it ended.
storage_state() {
    df -B1 --output=size,used,avail "$mtp_internal"
    local folder
    for folder in "$mtp_internal/Music"/*/; do
        echo "$(find "$folder" -type f | wc -l) files in $(basename "$folder")"
    done
}

start_mtp_player 320 fill_for_sends
run_bench scale_bench --benchmark_filter='SendToAnMtp|SyncOf200Onto150OnAnMtp'
storage_state
# After the sends of 4 MiB into Held, umtprd's storage is full: songs the clean-ups asked through MTP to remove
# still lie in Held. The long run gets fresh folders and a umtprd started again.
stop_mtp_responder
find "$mtp_internal/Music" -mindepth 1 -maxdepth 1 -type d -exec rm -r {} +
fill_for_sends
replug_mtp_player
run_bench scale_bench --benchmark_filter=SongCostOnAnMtp
storage_state

stop_mtp_responder
find "$mtp_internal/Music" -mindepth 1 -maxdepth 1 -type d -exec rm -r {} +
preload_songs "$mtp_internal/Music/Listed" 1000
replug_mtp_player
run_bench scale_bench --benchmark_filter='ListAnMtp|PaneOf1000OnAnMtp|SecondSyncOf1000OnAnMtp'

# Where a command's time goes beside the peer's: the program's start alone, then an ls, its listing round trips
# and its system calls.
time "$build/bin/tunedeck-player" --version
QT_LOGGING_RULES="tunedeck.mtp.listing.debug=true" strace -f -c -o /tmp/ls.strace \
    "$build/bin/tunedeck-player" --player "$mtp_player_id" ls 2>&1 >/dev/null | grep -c 'tunedeck.mtp.listing' || true
sort -k2 -n -r /tmp/ls.strace | head -n 12

run_bench send_bench --benchmark_filter=BM_MenuSendToAnMtpPlayer
