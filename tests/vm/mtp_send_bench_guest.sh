#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# mtp_send_bench_guest.sh BUILD_DIR: in the guest, the baseline of a send to an MTP player: libmtp's mtp-sendfile
# sends 20 songs of 4 MiB of random bytes into one folder of the player's internal memory (160 MiB), one process a
# song as the tool works; prints each send's time, the whole loop's, and "mtp-sendfile: N MB/s" over the loop.
# BUILD_DIR is for Tunedeck's own send beside it. Run without the mass-storage players:
#   VM_USB_DISKS=0 tests/vm/run.sh build/release/vm-mtp-bench tests/vm/mtp_send_bench_guest.sh build/release
set -euo pipefail
build=$1
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$here/guest_base.sh"
# shellcheck source-path=SCRIPTDIR source=mtp_responder.sh
. "$here/mtp_responder.sh"
[ -d "$build" ] || { echo "FAILED: no build folder $build" >&2; exit 1; }
count=20
mib=4

start_mtp_player 160
mkdir -p /tmp/bench
for i in $(seq -w "$count"); do
    head -c "${mib}M" /dev/urandom > "/tmp/bench/song$i.mp3"
done
timeout 60 mtp-newfolder Bench 0 0 > /tmp/out 2>&1
grep -q "^New folder created" /tmp/out || { cat /tmp/out >&2; echo "FAILED: no folder Bench" >&2; exit 1; }

# Milliseconds since the guest booted.
now_ms() {
    local seconds
    seconds=$(cut -d' ' -f1 /proc/uptime)
    echo $((${seconds%.*} * 1000 + 10#${seconds#*.} * 10))
}
loop_start=$(now_ms)
for song in /tmp/bench/song*.mp3; do
    start=$(now_ms)
    timeout 120 mtp-sendfile "$song" /Bench > /tmp/out 2>&1 || true
    grep -q "^New file ID:" /tmp/out || { tr '\r' '\n' < /tmp/out | tail -5 >&2; echo "FAILED: $song" >&2; exit 1; }
    echo "$(basename "$song"): $(($(now_ms) - start)) ms"
done
loop_ms=$(($(now_ms) - loop_start))
for song in /tmp/bench/song*.mp3; do
    cmp "$song" "$mtp_internal/Bench/$(basename "$song")" || { echo "FAILED: $song arrived other" >&2; exit 1; }
done
bytes=$((count * mib * 1048576))
echo "$count songs of $mib MiB in $loop_ms ms"
awk -v b="$bytes" -v ms="$loop_ms" 'BEGIN { printf "mtp-sendfile: %.1f MB/s\n", b / 1e6 / (ms / 1000) }'
