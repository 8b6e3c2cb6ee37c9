#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# replay_test.sh [BIN_DIR]: plays back the MTP sessions in recordings/ (made in the test machine by tests/vm/record_mtp.sh)
# with umockdev, on this machine, which needs no USB for it: each row of the table below names a recording, the
# command that made it, and a line its output must hold (leading blanks aside). A command is played back once
# for all its rows; BIN_DIR (Tunedeck's programs) goes first in PATH. Exits 77 (skipped) when umockdev-run or a
# command is missing; scripts/setup installs them.
set -euo pipefail
if [ "$#" -gt 0 ]; then
    PATH=$1:$PATH
fi
recordings=$(cd "$(dirname "$0")" && pwd)/recordings

# recording | command | a line of its output
table=$(cat <<'EOF_TABLE'
mtp-detect|mtp-detect|StorageDescription: Internal Memory
mtp-detect|mtp-detect|MaxCapacity: 50331648
mtp-detect|mtp-detect|StorageDescription: External uSD Card
mtp-detect|mtp-detect|MaxCapacity: 8388608
mtp-detect|mtp-detect|Friendly name: Test MTP player
mtp-files|mtp-files|Filename: Preloaded.mp3
mtp-files|mtp-files|File size 65536 (0x0000000000010000) bytes
mtp-files|mtp-files|Filename: On the card.mp3
mtp-files|mtp-files|Storage ID: 0xFFFF0002
tunedeck-ls|tunedeck-player players|mtp:1d6b:0100:MTP0001
tunedeck-ls|tunedeck-player players|kind: mtp
tunedeck-ls|tunedeck-player players|name: Tunedeck Test MTP player
tunedeck-ls|tunedeck-player --player mtp:1d6b:0100:MTP0001 ls|memory 0 (internal): 0 bytes used, 50266112 bytes free
tunedeck-ls|tunedeck-player --player mtp:1d6b:0100:MTP0001 ls|memory 1 (card): 0 bytes used, 8355840 bytes free
EOF_TABLE
)

if ! command -v umockdev-run > /dev/null; then
    echo "skipped: umockdev-run is missing (package umockdev)"
    exit 77
fi
device=$recordings/device.umockdev
# The sysfs path the recordings were made on: the first device of the udev record.
sysfs=/sys$(sed -n '1s/^P: //p' "$device")
[ "$sysfs" != /sys ] || { echo "replay_test.sh: $device names no device" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
# Plays RECORDING back under COMMAND (words split on blanks) into $work/$out, its leading blanks dropped; once
# for each recording and command.
play_back() {
    local recording=$1 command=$2 status=0
    out="$recording ${command//\//_}.out"
    [ ! -f "$work/$out" ] || return 0
    [ -f "$recordings/$recording.pcap" ] || { echo "replay_test.sh: no recording $recording.pcap" >&2; return 1; }
    read -ra words <<< "$command"
    if ! command -v "${words[0]}" > /dev/null; then
        echo "skipped: ${words[0]} is missing"
        exit 77
    fi
    timeout 60 umockdev-run --device "$device" --pcap "$sysfs=$recordings/$recording.pcap" -- "${words[@]}" \
        > "$work/raw" 2>&1 || status=$?
    sed 's/^[[:blank:]]*//' "$work/raw" > "$work/$out"
    if [ "$status" -eq 124 ]; then
        echo "replay_test.sh: $command on $recording.pcap hung for 60 s; the playback diverged from the recording" >&2
        return 1
    elif [ "$status" -ne 0 ] || grep -q "mismatch" "$work/raw"; then
        echo "replay_test.sh: $command on $recording.pcap exited with $status; its output:" >&2
        cat "$work/raw" >&2
        return 1
    fi
    echo "replay_test.sh: $command played back from $recording.pcap"
}

while IFS='|' read -r recording command line; do
    if ! play_back "$recording" "$command"; then
        failed=1
        continue
    fi
    if ! grep -qxF -- "$line" "$work/$out"; then
        echo "replay_test.sh: $command on $recording.pcap did not say \"$line\"" >&2
        failed=1
    fi
done <<< "$table"
exit "$failed"
