#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# mtp_desktop_guest.sh BUILD_DIR: in the guest, GNOME's MTP file system holds the MTP player (mtp_responder.sh) as
# on a desktop: the desktop user's session D-Bus (guest_user.sh) starts gvfsd and gvfs's volume monitors as that
# user, and the player's volume is mounted through GIO, gvfsd-mtp holding the device by the grant of its node to
# plugdev. tunedeck-player, as the user on that bus, then makes a folder and sends two songs into it: each time
# gvfs is asked to let the player go and mounts it again after, and the songs are read back through gvfs's mount
# alike. Without the session bus in its environment tunedeck-player leaves gvfs alone and names it, as it did
# before it could ask. Exits 77 (skipped) where gvfs is not installed.
set -eEuo pipefail
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
build=$1
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$here/guest_base.sh"
# shellcheck source-path=SCRIPTDIR source=mtp_responder.sh
. "$here/mtp_responder.sh"

for program in /usr/libexec/gvfsd-mtp:gvfs-backends /usr/libexec/gvfs-mtp-volume-monitor:gvfs-daemons; do
    if [ ! -x "${program%%:*}" ]; then
        echo "skipped: ${program%%:*} is missing (package ${program#*:})"
        exit 77
    fi
done
[ -d "$build" ] || { echo "FAILED: no build folder $build" >&2; exit 1; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

start_mtp_player 48
# Where a desktop's session bus listens, in the user's runtime folder.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/$desktop_uid/bus
"${as_user[@]}" dbus-daemon --session --fork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
gio=("${as_user[@]}" gio)

# gvfs's MTP volume of the player: the first look starts the volume monitors, which take a while to answer.
mtp_volume_listed() {
    timeout 60 "${gio[@]}" mount -li > /tmp/volumes 2>&1 && grep -qF "unix-device: '$mtp_node'" /tmp/volumes
}
retry_for 120 mtp_volume_listed || fail "gvfs lists no volume of $mtp_node: $(cat /tmp/volumes)"
root=$(sed -n 's/^ *activation_root=\(mtp:.*\)$/\1/p' /tmp/volumes)
echo "guest: gvfs names the player $root"
# Mounted, as a file manager mounts it, and so held by gvfsd-mtp.
timeout 120 "${gio[@]}" mount -d "$mtp_node"
# True when gvfs has the player mounted and lists the internal memory's music folder through the mount.
gvfs_lists_music() {
    timeout 60 "${gio[@]}" mount -l 2> /dev/null | grep -qF -- "-> $root" &&
        timeout 60 "${gio[@]}" list "${root}Internal Memory/Music" > /tmp/music 2>&1
}
gvfs_holds_player() {
    [ "$(holders)" = "gvfsd-mtp $desktop_user" ]
}
# The programs that have the player's device node open, each with the user it runs as.
holders() {
    local fd process
    for fd in /proc/[0-9]*/fd/*; do
        if [ "$(readlink "$fd" 2> /dev/null)" = "$mtp_node" ]; then
            process=${fd%/fd/*}
            echo "$(cat "$process/comm") $(stat -c %U "$process")"
        fi
    done | sort -u
}
retry_for 60 gvfs_lists_music || fail "gvfs did not mount the player: $(cat /tmp/music)"
gvfs_holds_player || fail "the player is held by $(holders), not the desktop user's gvfsd-mtp"

# tunedeck-player on the player held by gvfs; standard output into /tmp/out, standard error into /tmp/err. The
# seconds each command took go to the log.
player() {
    local status=0 start=$SECONDS
    timeout 180 "${as_user[@]}" "$build/bin/tunedeck-player" --player "$mtp_player_id" "$@" > /tmp/out 2> /tmp/err ||
        status=$?
    sed 's/^/    /' /tmp/out /tmp/err
    echo "guest: tunedeck-player $* took $((SECONDS - start)) s and exited with $status"
    [ "$status" -ne 124 ] || fail "tunedeck-player $* hung for 180 s"
    return "$status"
}
told() {
    grep -qF "$1" /tmp/err
}
lent="デスクトップのMTPファイルシステム（gvfsd-mtp）にプレーヤーを放してもらいました。使い終われば返します。"

player mkdir Desk || fail "tunedeck-player could not make a folder on the player gvfs held: $(cat /tmp/err)"
told "$lent" || fail "tunedeck-player did not say that gvfs let the player go"
retry_for 60 gvfs_lists_music || fail "gvfs did not mount the player again after mkdir: $(cat /tmp/music)"
grep -qx Desk /tmp/music || fail "gvfs does not list the folder Desk: $(cat /tmp/music)"

mkdir -p /tmp/songs
head -c 300K /dev/urandom > /tmp/songs/one.mp3
head -c 200K /dev/urandom > /tmp/songs/two.mp3
player send /tmp/songs/one.mp3 /tmp/songs/two.mp3 --folder 0 ||
    fail "tunedeck-player could not send to the player gvfs held: $(cat /tmp/err)"
[ "$(grep -cxF -- "$lent" /tmp/err)" -eq 1 ] ||
    fail "a send of two songs did not ask gvfs to let go once, for its one connection"
retry_for 60 gvfs_lists_music || fail "gvfs did not mount the player again after the send: $(cat /tmp/music)"
gvfs_holds_player || fail "after the send the player is held by $(holders), not the user's gvfsd-mtp"
timeout 60 "${gio[@]}" list "${root}Internal Memory/Music/Desk" > /tmp/desk
[ "$(tr '\n' , < /tmp/desk)" = "01 one.mp3,02 two.mp3," ] || fail "gvfs lists the folder Desk as $(cat /tmp/desk)"
for song in "01 one" "02 two"; do
    timeout 60 "${gio[@]}" cat "${root}Internal Memory/Music/Desk/$song.mp3" > /tmp/songs/back.mp3
    cmp "/tmp/songs/${song#* }.mp3" /tmp/songs/back.mp3 || fail "$song.mp3 read through gvfs is not the song sent"
done

# No session bus in tunedeck-player's environment: gvfs is left holding the player, and named.
if "${as_user[@]}" env -u DBUS_SESSION_BUS_ADDRESS "$build/bin/tunedeck-player" --player "$mtp_player_id" ls \
    > /tmp/out 2> /tmp/err; then
    fail "tunedeck-player without a session bus used the player gvfs held"
fi
sed 's/^/    /' /tmp/err
{ told "gvfsd-mtp (PID " && told "を終了してください"; } ||
    fail "without a session bus the refusal does not name gvfsd-mtp"
! told "$lent" || fail "tunedeck-player without a session bus says gvfs let go"
gvfs_lists_music || fail "gvfs lost the player to tunedeck-player without a session bus"
echo "mtp_desktop_guest.sh: all checks passed"
