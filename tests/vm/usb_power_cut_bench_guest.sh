#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_power_cut_bench_guest.sh BUILD_DIR: in the guest, what writing safely costs on the player's vfat card, in
# wall time: tunedeck-player's send of 20 songs of 64 KiB beside cp and sync of the same files, and its swap of
# the first and last of 300 songs of 8 KiB in directory order (the folder written anew) beside cp and sync of
# those 300; three rounds of each. Not a test; run alone:
#   tests/vm/run.sh build/release/vm-bench tests/vm/usb_power_cut_bench_guest.sh "$PWD/build/release"
set -euo pipefail
build=$1
# shellcheck source-path=SCRIPTDIR source=guest_setup.sh
. "$(dirname "$0")/guest_setup.sh"

player=$build/bin/tunedeck-player
find_players "$player"
P=(--player "$two" --memory 1)
# The guest's /tmp shows the host's, where anyone's files lie.
twenty=$(mktemp -d /tmp/twenty.XXXXXX)
many=$(mktemp -d /tmp/many.XXXXXX)
"$(dirname "$0")/random_songs.sh" "$twenty" 20 64
"$(dirname "$0")/random_songs.sh" "$many" 300 8
"$player" "${P[@]}" ls > /dev/null
card=$(findmnt -n -o TARGET "$card_disk")

# The seconds COMMAND... takes.
seconds() {
    local start=$EPOCHREALTIME
    "$@" > /dev/null
    echo "$EPOCHREALTIME - $start" | bc
}
copy_and_sync() {
    mkdir "$1" && cp "${@:2}" "$1/" && sync
}
# The number ls gives the card's folder NAME.
folder_number() {
    "$player" "${P[@]}" ls | sed -n "s/^  folder \([0-9]*\): $1\$/\1/p"
}

for round in 1 2 3; do
    "$player" "${P[@]}" mkdir "Send$round"
    sent=$(seconds "$player" "${P[@]}" --folder "$(folder_number "Send$round")" send "$twenty"/*.mp3)
    copied=$(seconds copy_and_sync "$card/MUSIC/Copy$round" "$twenty"/*.mp3)
    echo "round $round: send of 20 songs of 64 KiB: tunedeck-player $sent s, cp and sync $copied s"
done
copied=$(seconds copy_and_sync "$card/MUSIC/Many" "$many"/*.mp3)
echo "300 songs of 8 KiB: cp and sync $copied s"
for round in 1 2 3; do
    swapped=$(seconds "$player" "${P[@]}" --folder "$(folder_number Many)" swap 0 299)
    echo "round $round: swap of the first and last of 300 songs: tunedeck-player $swapped s"
done
udisksctl unmount -b "$card_disk" --no-user-interaction
