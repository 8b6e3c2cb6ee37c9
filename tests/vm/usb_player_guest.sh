#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_player_guest.sh BUILD_DIR: in the guest, Tunedeck on two USB players the real kernel sees: a player with
# an internal memory and a card (two LUNs) and a player of one memory. tunedeck-player finds them, works on the
# card, meets a read-only mount, a full memory, names FAT refuses and a volume another program unmounts, and a
# send loses its player halfway; then the window works on both memories of the first player and removes it
# safely. The host then reads the images (check_images.sh). Tunedeck, its tests and what a user's other programs
# do run as the desktop user (guest_user.sh); root plugs in, pulls out and unmounts behind their backs.
set -euo pipefail
build=$1
# shellcheck source-path=SCRIPTDIR source=guest_setup.sh
. "$(dirname "$0")/guest_setup.sh"

player=("${as_user[@]}" "$build/bin/tunedeck-player")
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# The command's standard output; its status must be 0.
run() {
    "${player[@]}" "$@" 2> /tmp/err || fail "tunedeck-player $* exited with $?: $(cat /tmp/err)"
}
# The command must be refused (status 1) with a description holding TEXT.
refused() {
    local text=$1 status=0
    shift
    "${player[@]}" "$@" > /dev/null 2> /tmp/err || status=$?
    [ "$status" -eq 1 ] || fail "tunedeck-player $* exited with $status, not 1"
    grep -qF -- "$text" /tmp/err || fail "tunedeck-player $* said: $(cat /tmp/err)"
    echo "refused as it must: $(cat /tmp/err)"
}
# The song names of folder 0 of the card, in the order ls gives them.
card_songs() {
    run --player "$two" --memory 1 ls | sed -n 's/^    song [0-9]*: \(.*\) ([0-9]* bytes)$/\1/p' | paste -sd, -
}

run players | tee /tmp/players
mapfile -t ids < <(grep '^usb:' /tmp/players)
[ "${#ids[@]}" -eq 2 ] || fail "two USB players expected, found ${#ids[@]}"
two="" solo=""
for id in "${ids[@]}"; do
    case $(run --player "$id" ls) in
        *"memory 1 (card): absent"*) solo=$id ;;
        *) two=$id ;;
    esac
done
[ -n "$two" ] && [ -n "$solo" ] || fail "the player with a card and the one without are not told apart"
# Opened, the player is mounted as Tunedeck asks: names in UTF-8, every write on its way at once.
for disk in "$internal_disk" "$card_disk"; do
    options=$(findmnt -n -o OPTIONS "$disk") || fail "$disk was not mounted"
    [[ ,$options, == *,utf8,* && ,$options, == *,flush,* ]] || fail "$disk mounted with $options"
done
echo "the player with a card: $two; the other: $solo"

mkdir -p /tmp/songs
for name in c a b d; do
    head -c 100k /dev/urandom > "/tmp/songs/$name.mp3"
done
P=(--player "$two" --memory 1)
run "${P[@]}" mkdir Cli
run "${P[@]}" send /tmp/songs/c.mp3 /tmp/songs/a.mp3 /tmp/songs/b.mp3
[ "$(card_songs)" = c,a,b ] || fail "sent c, a, b; the card lists $(card_songs)"
run "${P[@]}" swap 0 2
[ "$(card_songs)" = b,a,c ] || fail "swapped 0 and 2; the card lists $(card_songs)"
run "${P[@]}" delete 1
run "${P[@]}" send /tmp/songs/d.mp3
[ "$(card_songs)" = b,d,c ] || fail "d should take a's place: the card lists $(card_songs)"
run "${P[@]}" get 0 /tmp/got.mp3
cmp /tmp/got.mp3 /tmp/songs/b.mp3 || fail "song 0 came back other than b.mp3"
run "${P[@]}" --title 'What? <Yes> "No"...' send /tmp/songs/a.mp3
run "${P[@]}" --title 'what_ _yes_ _no_' send /tmp/songs/a.mp3
expect_order card.img MUSIC/Cli b.mp3 d.mp3 c.mp3 'What_ _Yes_ _No_.mp3' 'what_ _yes_ _no_ (2).mp3'

# More than the card holds: refused before a byte is written.
head -c 40M /dev/zero > /tmp/songs/big.mp3
refused "メモリの空きが足りません。" "${P[@]}" send /tmp/songs/big.mp3
# Another program unmounts the card: the next command mounts it again.
udisksctl unmount -b "$card_disk" --no-user-interaction
[ "$(card_songs)" = b,d,c,What_\ _Yes_\ _No_,what_\ _yes_\ _no_\ \(2\) ] || fail "after an unmount: $(card_songs)"
# Mounted read-only by another program: a send says why it cannot write, and leaves nothing.
udisksctl unmount -b "$card_disk" --no-user-interaction
"${as_user[@]}" udisksctl mount -b "$card_disk" -o ro --no-user-interaction
refused "書き込み禁止" "${P[@]}" send /tmp/songs/a.mp3
udisksctl unmount -b "$card_disk" --no-user-interaction

# The component's tests of play order on the kernel's vfat, where the order of directory entries is what the
# player plays (the others want what FAT has not: symbolic links, sparse files, permissions).
"${as_user[@]}" udisksctl mount -b "$card_disk" --no-user-interaction
card_mount=$(findmnt -n -o TARGET "$card_disk")
mkdir "$card_mount/tests"
TMPDIR=$card_mount/tests "${as_user[@]}" "$build/bin/mass_storage_tests" --gtest_brief=1 \
    --gtest_filter='StorageTest.EveryOrder*:StorageTest.AStop*:StorageTest.LongTitles*:StorageTest.SongsOfOneTitle*' ||
    fail "the component's tests on vfat"
rm -r "${card_mount:?}/tests"
udisksctl unmount -b "$card_disk" --no-user-interaction

# The second player is pulled out in the middle of a send: the send fails with a clear text.
run --player "$solo" mkdir Gone
head -c 12M /dev/urandom > /tmp/songs/long.mp3
"${player[@]}" --player "$solo" send /tmp/songs/long.mp3 > /dev/null 2> /tmp/pulled &
send=$!
# Held still once its temporary file is there, so the player goes while the song is surely under way. A fast
# send may begin and end between two looks that each run findmnt and sleep: the shell looks without a pause,
# with its own glob once it knows where the volume is mounted.
solo_mount=
in_flight() {
    [ -n "$solo_mount" ] || solo_mount=$(findmnt -n -o TARGET "$solo_disk") || return 1
    compgen -G "$solo_mount/MUSIC/Gone/.*" > /dev/null
}
deadline=$((SECONDS + 60))
until in_flight || [ "$SECONDS" -ge "$deadline" ]; do :; done
in_flight || fail "the send to the second player never began: $(cat /tmp/pulled)"
kill -STOP "$send"
# The kernel leaves a FAT pulled out while mounted marked dirty, also once mounted and put away again.
expect_unclean solo.img
request_unplug solo
wait_unplugged 30
kill -CONT "$send"
status=0
wait "$send" || status=$?
[ "$status" -eq 1 ] || fail "the send to a player pulled out exited with $status: $(cat /tmp/pulled)"
grep -qF "プレーヤーとの読み書きに失敗しました。" /tmp/pulled || fail "the send to a player pulled out said: $(cat /tmp/pulled)"
echo "the send to the player pulled out said: $(cat /tmp/pulled)"
usb_players() {
    "${player[@]}" players | grep -c '^usb:' || true
}
one_player_left() {
    [ "$(usb_players)" -eq 1 ]
}
retry_for 30 one_player_left
# Plugged in again, the next command on it sweeps what the send left, and the player is put away cleanly.
request_replug
retry_for 30 replugged
two_players() {
    [ "$(usb_players)" -eq 2 ]
}
retry_for 60 two_players
solo=$("${player[@]}" players | grep '^usb:' | grep -vxF "$two")
run --player "$solo" ls > /dev/null
expect_order solo.img MUSIC/Gone
# Unknown to media-player-info, the second player is a plain USB stick: its folders are the volume's own that
# hold songs or nothing (MUSIC holds a folder).
echo 'SUBSYSTEM=="block", ENV{ID_FS_LABEL}=="SOLO", ENV{ID_MEDIA_PLAYER}=""' >> /run/udev/rules.d/70-tunedeck-player.rules
udevadm control --reload
udevadm trigger --action=change "$(readlink -f /dev/disk/by-label/SOLO)"
udevadm settle --timeout=30
run players | grep -A1 -xF "$solo" | grep -qxF "  kind: usb-disk" || fail "the second player is still taken for a player"
run --player "$solo" mkdir Stick
[ "$(run --player "$solo" ls | grep '^  folder')" = "  folder 0: Stick" ] ||
    fail "the plain stick's folders: $(run --player "$solo" ls)"
run --player "$solo" send /tmp/songs/a.mp3
udisksctl unmount -b "$(readlink -f /dev/disk/by-label/SOLO)" --no-user-interaction
expect_order solo.img Stick a.mp3

# The window's test has root unmount the card behind UDisks2's back.
unmount_card() {
    umount "$card_disk"
}
serve_root unmount_card
ASK_ROOT=$(realpath "$(dirname "$0")/ask_root.sh") QT_QPA_PLATFORM=offscreen \
    "${as_user[@]}" "$build/bin/usb_player_vm_tests" || fail "the window on the USB player"
expect_order internal.img MUSIC/Test a.mp3 d.mp3 b.mp3
