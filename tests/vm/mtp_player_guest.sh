#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# mtp_player_guest.sh BUILD_DIR: in the guest, an MTP player of two storages on the real kernel's USB (umtprd on
# a FunctionFS gadget, mtp_responder.sh). Tunedeck works on it: the window (mtp_player_vm_tests), then
# tunedeck-player: a swap, a song larger than the card, two songs of one title swapped and an .RMP on the card,
# a second program while the first holds the player, the responder dying in a send, a folder another program
# removes, a folder removed that keeps a file that is no song. Then libmtp's own tools: both storages with their names and sizes, a folder, a send whose bytes come back
# alike and whose size the free space loses, a delete, songs larger than the card and than the player, the
# player pulled out and plugged in again, and umtprd killed and started again. Last, a player of one storage,
# and files that are no songs though named so (a FIFO, a device node, a socket) are refused at once.
# The guest boots without run.sh's mass-storage players (VM_USB_DISKS=0); BUILD_DIR is for Tunedeck's own
# programs.
set -eEuo pipefail
# A command that fails anywhere, in a function too, says so before the script ends.
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
build=$1
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$here/guest_base.sh"
# shellcheck source-path=SCRIPTDIR source=mtp_responder.sh
. "$here/mtp_responder.sh"
# shellcheck source-path=SCRIPTDIR source=non_regular_files.sh
. "$here/non_regular_files.sh"

[ -d "$build" ] || { echo "FAILED: no build folder $build" >&2; exit 1; }
# Tunedeck's programs run as the desktop user (guest_user.sh), with what they free filled at once (no per-thread
# cache holds it back), so that a read of freed memory, as of a libmtp list's node, shows in the optimised build
# too.
checked=("${as_user[@]}" env GLIBC_TUNABLES=glibc.malloc.tcache_count=0 MALLOC_PERTURB_=165)
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Runs one of libmtp's tools, its output into /tmp/out and on to the log. Their exit status says little (0 for
# "No devices.", 0 or 1 for a failed send), so the callers read what they say; one that hangs or crashes fails.
mtp() {
    local status=0
    timeout 60 "$@" > /tmp/out 2>&1 || status=$?
    sed 's/^/    /' /tmp/out
    [ "$status" -ne 124 ] || fail "$* hung for 60 s"
    [ "$status" -le 1 ] || fail "$* exited with $status"
}
# The storages mtp-detect told of, a line each: id, capacity, free bytes, description; tab-separated.
storages() {
    mtp mtp-detect > /dev/null
    awk '/^ +StorageID:/ { id = $2 }
        /^ +MaxCapacity:/ { capacity = $2 }
        /^ +FreeSpaceInBytes:/ { free = $2 }
        /^ +StorageDescription:/ { sub(/^ +StorageDescription: /, ""); print id "\t" capacity "\t" free "\t" $0 }' \
        /tmp/out
}
# A field of the storage described as DESCRIPTION: 1 the id, 2 the capacity, 3 the free bytes.
storage_field() {
    local field=$1 description=$2
    storages | awk -F '\t' -v d="$description" -v f="$field" '$4 == d { print $f }'
}
# True when the tool's output holds a line matching the extended regular expression LINE.
said() {
    grep -qE "^$1\$" /tmp/out
}
# The id mtp-files gives the file called NAME.
file_id() {
    mtp mtp-files > /dev/null
    awk -v name="$1" '/^File ID:/ { id = $3 } $0 == "   Filename: " name { print id }' /tmp/out
}

start_mtp_player 48
[ "$mtp_player_id" = mtp:1d6b:0100:MTP0001 ] || fail "udev names the player $mtp_player_id"
[ -c "$mtp_node" ] || fail "no device node $mtp_node"

# Tunedeck on the player: first the window, as a user works on it; it leaves Music/Test with a and b on the
# internal memory and an empty card, and the player pulled out, which root does when it asks. What the responder
# keeps in a folder of Music on the internal memory is root's to look at (umtprd makes its folders 0700).
stored_in() {
    find "$mtp_internal/Music/$1" -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort
}
serve_root unplug_mtp_player stored_in
MTP_PLAYER_ID=$mtp_player_id ASK_ROOT=$(realpath "$here/ask_root.sh") \
    timeout 300 "${checked[@]}" "$build/bin/mtp_player_vm_tests" ||
    fail "the window's test on the MTP player failed"
replug_mtp_player
# tunedeck-player on the player; its output into /tmp/out (standard output) and /tmp/err.
player() {
    local status=0
    timeout 60 "${checked[@]}" "$build/bin/tunedeck-player" --player "$mtp_player_id" "$@" > /tmp/out 2> /tmp/err ||
        status=$?
    sed 's/^/    /' /tmp/out /tmp/err
    [ "$status" -ne 124 ] || fail "tunedeck-player $* hung for 60 s"
    return "$status"
}
# True when /tmp/err holds TEXT.
told() {
    grep -qF "$1" /tmp/err
}
# The song files the internal memory's folder Test holds.
test_songs() {
    ls "$mtp_internal/Music/Test"
}
# Waits, for at most 30 s, until the folder Test holds COUNT songs: a send has begun to write one more. It looks
# often, as a song's data takes well under a second.
wait_for_songs() {
    for _ in $(seq 600); do
        if [ "$(test_songs | wc -l)" -ge "$1" ]; then
            return 0
        fi
        sleep 0.05
    done
    fail "no send began in the folder Test: $(test_songs)"
}

timeout 30 "${checked[@]}" "$build/bin/tunedeck-player" players > /tmp/out
grep -qx "$mtp_player_id" /tmp/out || fail "tunedeck-player players does not list $mtp_player_id: $(cat /tmp/out)"
grep -qx "  kind: mtp" /tmp/out || fail "the MTP player is not listed as one"
[ "$(grep -c '^mtp:' /tmp/out)" -eq 1 ] || fail "tunedeck-player players lists more MTP players than one"

player ls
grep -qx "  folder 0: Test" /tmp/out || fail "ls does not show the folder Test"
player swap 0 1
player ls
[ "$(grep -o 'song [01]: [ab] ' /tmp/out | tr -d '\n')" = "song 0: b song 1: a " ] || fail "the swap did not take"
[ "$(test_songs | tr "\n" ,)" = "01 b.mp3,03 a.mp3," ] || fail "the swap renamed other than the numbers: $(test_songs)"

# More than the card has free: refused before anything is written.
mkdir -p /tmp/songs
head -c 9M /dev/urandom > /tmp/songs/big.mp3
player mkdir Card --memory 1
if player send /tmp/songs/big.mp3 --memory 1; then
    fail "a song larger than the card was sent"
fi
told "メモリの空きが足りません。" || fail "a song larger than the card was refused unclearly"
[ -z "$(ls "$mtp_card/Card")" ] || fail "the refused song left $(ls "$mtp_card/Card") on the card"

# Two songs of one title on the card, exchanged: each takes the other's number, and the one whose new name meets
# the other's old one keeps apart by " (2)". An .RMP goes as a plain file, not a track, to the card all the same.
for song in first.mp3 second.mp3 third.rmp; do
    head -c 4K /dev/urandom > "/tmp/songs/$song"
done
player send /tmp/songs/first.mp3 /tmp/songs/second.mp3 --title Twin --memory 1
player swap 0 1 --memory 1
player send /tmp/songs/third.rmp --title Odd --memory 1
[ "$(ls "$mtp_card/Card" | tr '\n' ,)" = "01 Twin.mp3,02 Twin (2).mp3,03 Odd.rmp," ] ||
    fail "the card holds $(ls "$mtp_card/Card" | tr '\n' ,) after a swap of twins and an .RMP"
cmp /tmp/songs/second.mp3 "$mtp_card/Card/01 Twin.mp3" || fail "the swap did not exchange the twins"
player rmdir 0 --memory 1

# A second program while the first holds the player: it waits, then names the holder and says what to close.
head -c 12M /dev/urandom > /tmp/songs/long.mp3
"${checked[@]}" "$build/bin/tunedeck-player" --player "$mtp_player_id" send /tmp/songs/long.mp3 2> /dev/null &
holder=$!
wait_for_songs 3
kill -STOP "$holder"
if player ls; then
    fail "a second program used the player while the first held it"
fi
told "デスクトップのMTPファイルシステム" && told "tunedeck-player (PID $holder)" ||
    fail "the refusal does not say which program holds the player"
kill -CONT "$holder"
wait "$holder" || fail "the first program's send failed after the second tried"

# The responder dies in the middle of a send: a clear failure, and the player works again once back.
"${checked[@]}" "$build/bin/tunedeck-player" --player "$mtp_player_id" send /tmp/songs/long.mp3 > /dev/null \
    2> /tmp/dying &
sender=$!
wait_for_songs 4
stop_mtp_responder
status=0
timeout 60 tail --pid="$sender" -f /dev/null || fail "the send hung after the responder died"
wait "$sender" || status=$?
[ "$status" -eq 1 ] || fail "the send ended with $status when the responder died: $(cat /tmp/dying)"
cat /tmp/dying
replug_mtp_player
player ls || fail "the player is not read again after the responder came back"

# A folder another program removes meanwhile: the next send to where it was is refused.
player mkdir Gone
mtp mtp-delfile -f /Music/Gone
[ ! -e "$mtp_internal/Music/Gone" ] || fail "mtp-delfile left the folder Gone"
if player send /tmp/songs/big.mp3 --folder 1; then
    fail "a send went to a folder that is gone"
fi
told "フォルダの番号が範囲外です。" || fail "the send to a folder gone was refused unclearly"
# A file that is no song, put in a folder by another program: removing the folder takes the songs and the
# folder keeps the file. umtprd sees what its storage holds when it starts.
echo notes > "$mtp_internal/Music/Test/notes.txt"
replug_mtp_player
player rmdir 0
grep -qx "1 files kept that are not songs" /tmp/out || fail "removing the folder Test did not say it kept a file"
[ "$(test_songs)" = notes.txt ] || fail "removing the folder Test left $(test_songs | tr '\n' ' ')"
echo "mtp_player_guest.sh: Tunedeck's checks passed"

# Both storages, by name, with the sizes their tmpfs were given.
storages | tee /tmp/storages
[ "$(wc -l < /tmp/storages)" -eq 2 ] || fail "mtp-detect tells of $(wc -l < /tmp/storages) storages, not 2"
while IFS='|' read -r description capacity; do
    [ "$(storage_field 2 "$description")" = "$capacity" ] ||
        fail "storage \"$description\" should hold $capacity bytes: $(cat /tmp/storages)"
done <<'EOF'
Internal Memory|50331648
External uSD Card|8388608
EOF
internal_id=$(storage_field 1 "Internal Memory")
card_id=$(storage_field 1 "External uSD Card")
# What the internal memory started with, which Tunedeck left alone (it formatted the card, whose last folder the
# window removed).
mtp mtp-files
grep -qx "   Filename: Preloaded.mp3" /tmp/out || fail "mtp-files does not list Preloaded.mp3"

# A folder on the internal memory, a song sent into it, listed, fetched back alike, and deleted. umtprd numbers
# its objects anew in each session, so every tool here finds them by name.
mtp mtp-newfolder Songs 0 $((internal_id))
said "New folder created with ID: [0-9]+" || fail "mtp-newfolder made no folder"
mtp mtp-folders
said "[0-9]+"$'\t'Songs || fail "mtp-folders does not list Songs"
[ -d "$mtp_internal/Songs" ] || fail "umtprd made no folder Songs in $mtp_internal"

mkdir -p /tmp/songs
head -c 1M /dev/urandom > /tmp/songs/one.mp3
free_before=$(storage_field 3 "Internal Memory")
mtp mtp-sendfile /tmp/songs/one.mp3 /Songs
said "New file ID: [0-9]+" || fail "mtp-sendfile sent nothing"
free_after=$(storage_field 3 "Internal Memory")
[ $((free_before - free_after)) -ge 1048576 ] ||
    fail "free space went from $free_before to $free_after after a send of 1 MiB"
echo "free space on the internal memory: $free_before, after the send $free_after"
song=$(file_id one.mp3)
[ -n "$song" ] || fail "mtp-files does not list one.mp3"
grep -A4 -x "File ID: $song" /tmp/out > /tmp/listed
for line in "   File size 1048576 (0x0000000000100000) bytes" "   Storage ID: $(printf 0x%08X $((internal_id)))"; do
    grep -qxF "$line" /tmp/listed || fail "mtp-files lists the song without \"$line\": $(cat /tmp/listed)"
done
mtp mtp-getfile "$song" /tmp/songs/back.mp3
cmp /tmp/songs/one.mp3 /tmp/songs/back.mp3 || fail "the song came back other than it was sent"
cmp /tmp/songs/one.mp3 "$mtp_internal/Songs/one.mp3" || fail "the player holds other bytes than were sent"
mtp mtp-delfile -f /Songs/one.mp3
said "Deleting /Songs/one.mp3" || fail "mtp-delfile did not find /Songs/one.mp3"
[ ! -e "$mtp_internal/Songs/one.mp3" ] || fail "mtp-delfile left the song on the player"
[ -z "$(file_id one.mp3)" ] || fail "mtp-files still lists the deleted song"

# More than the card holds, sent into a folder on it. libmtp checks no space when given the folder, and umtprd
# 1.3.10 does not refuse a full storage: it keeps what fits and answers OK. So a sender must check the storage's
# free space itself; here what lands must not pass for the song.
mtp mtp-newfolder Big 0 $((card_id))
said "New folder created with ID: [0-9]+" || fail "mtp-newfolder made no folder on the card"
[ -d "$mtp_card/Big" ] || fail "the folder Big is not on the card"
head -c 9M /dev/urandom > /tmp/songs/big.mp3
mtp mtp-sendfile /tmp/songs/big.mp3 /Big
if said "New file ID: [0-9]+"; then
    kept=$(stat -c %s "$mtp_card/Big/big.mp3")
    [ "$kept" -lt $((9 * 1048576)) ] || fail "a song of 9 MiB went whole onto a card of 8 MiB"
    [ "$(storage_field 3 "External uSD Card")" -eq 0 ] || fail "the card has room left after a song too large"
    echo "umtprd kept $kept bytes of a song of 9 MiB on the card of 8 MiB, and said it went well"
    mtp mtp-delfile -f /Big/big.mp3
    [ "$(storage_field 3 "External uSD Card")" -gt $((8 * 1048576 - 65536)) ] || fail "the card stays full"
else
    said "Error sending file." || fail "mtp-sendfile neither sent nor refused the song"
fi
# Larger than any storage, with no folder given: libmtp finds no storage to hold it and sends nothing.
head -c 49M /dev/zero > /tmp/songs/huge.mp3
mtp mtp-sendfile /tmp/songs/huge.mp3 0
said "Error sending file." || fail "a song of 49 MiB was not refused by a player of 48 MiB and 8 MiB"
[ -z "$(find "$mtp_internal" "$mtp_card" -name huge.mp3)" ] || fail "the refused song left a file"
rm /tmp/songs/huge.mp3

# Pulled out: no player; plugged in again: the same player with what it held.
unplug_mtp_player
mtp mtp-detect
said "   No raw devices found." || fail "mtp-detect still finds a player after it was pulled out"
replug_mtp_player
[ "$(storages | wc -l)" -eq 2 ] || fail "after a replug mtp-detect tells of other storages: $(storages)"
mtp mtp-folders
said "[0-9]+"$'\t'Songs || fail "the folder Songs is gone after a replug"

# umtprd dies: the device leaves the bus; started again, it answers as before.
stop_mtp_responder
retry_for 15 mtp_player_gone || fail "the player stayed on the bus after umtprd died"
replug_mtp_player
[ "$(storages | wc -l)" -eq 2 ] || fail "after umtprd's restart mtp-detect tells of other storages: $(storages)"

# A player of one storage: it has no card, and a send to the card says so.
mtp_without_card=yes
write_umtprd_conf
replug_mtp_player
player ls
grep -qx "memory 1 (card): absent" /tmp/out || fail "ls of a player of one storage shows a card"
if player send /tmp/songs/first.mp3 --memory 1; then
    fail "a song was sent to the card of a player of one storage"
fi
told "スマートメディアが入っていません。" || fail "a send to a player of one storage's card was refused unclearly"

# Last, as one that hangs may leave the responder waiting. Into a folder: without one a send is refused before it
# looks at the file.
player mkdir Odd
make_non_regular_files
non_regular_files_refused "${checked[@]}" "$build/bin/tunedeck-player" --player "$mtp_player_id" ||
    fail "the MTP player was sent a file that is no song"
echo "mtp_player_guest.sh: all checks passed"
