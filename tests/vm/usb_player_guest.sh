#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_player_guest.sh BUILD_DIR: in the guest, shows with plain tools what the player tests stand on: the
# build's programs run from the host's read-only root; UDisks2 mounts the player's internal memory; songs
# copied to it keep the order they were written in; and pulling the player out fails a copy to its card.
set -euo pipefail
build=$1
# shellcheck source-path=SCRIPTDIR source=guest_setup.sh
. "$(dirname "$0")/guest_setup.sh"

"$build/bin/tunedeck-player" --version
"$build/bin/tunedeck-tags" --help | head -n 1

udisks_call() {
    gdbus call --system --dest org.freedesktop.UDisks2 \
        --object-path "/org/freedesktop/UDisks2/block_devices/${1#/dev/}" --method "org.freedesktop.UDisks2.$2" "${@:3}"
}
# Mount answers ('/media/root/LABEL',).
mount_player() {
    local answer
    answer=$(udisks_call "$1" Filesystem.Mount "{'options': <'utf8,flush'>}")
    answer=${answer#\(\'}
    echo "${answer%\',)}"
}

internal=$(mount_player "$internal_disk")
findmnt -n -o SOURCE,TARGET,OPTIONS "$internal"
findmnt -n -o OPTIONS "$internal" | grep -q 'utf8,flush'
mkdir "$internal/MUSIC/Test"
for song in charlie alpha bravo; do
    head -c 300k /dev/urandom > "/tmp/$song-song.mp3"
    cp "/tmp/$song-song.mp3" "$internal/MUSIC/Test/"
done
udisks_call "$internal_disk" Filesystem.Unmount '{}' > /dev/null
expect_order internal.img MUSIC/Test charlie-song.mp3 alpha-song.mp3 bravo-song.mp3

# The copy reads a pipe, so the player is pulled out while it is surely under way. Each write waits for the
# player, so the first one after the pull fails for sure; one into the page cache alone might not.
card=$(mount_player "$card_disk")
head -c 16M /dev/urandom > /tmp/long-song.mp3
mkfifo /tmp/copy-source
dd if=/tmp/copy-source of="$card/MUSIC/long-song.mp3" bs=64k oflag=sync status=none &
copy=$!
exec 3> /tmp/copy-source
head -c 8M /tmp/long-song.mp3 >&3
expect_unclean card.img
request_unplug
wait_unplugged 30
# The copy dies on the pulled-out player and takes the pipe's reader with it.
timeout 60 tail -c 8M /tmp/long-song.mp3 >&3 2>/dev/null || true
exec 3>&-
for _ in $(seq 60); do
    kill -0 "$copy" 2>/dev/null || break
    sleep 1
done
if kill -0 "$copy" 2>/dev/null; then
    echo "the copy to the card still runs 60 s after the player was pulled out" >&2
    exit 1
fi
if wait "$copy"; then
    echo "the copy to the card went on after the player was pulled out" >&2
    exit 1
fi
echo "the copy to the card failed once the player was pulled out, as it must"
