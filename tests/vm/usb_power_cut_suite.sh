#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_power_cut_suite.sh BUILD_DIR: power cuts on the real kernel's vfat. The host makes a volume for each case of
# usb_power_cut_cases.sh (documents and photos beside the songs) and two of documents, photos and songs mixed;
# one boot runs every case at once and has its power cut (usb_power_cut_guest.sh cut), and each volume must then
# pass fsck.fat but for the dirty bit, and one whose commands had all exited 0 must already hold what they leave,
# before Tunedeck opens it again to finish what a cut stopped; the next boot on the same volumes opens each with Tunedeck and works on
# the mixed ones (usb_power_cut_guest.sh check). Then every volume must pass fsck.fat (but for the dirty bit
# where the power was cut), and each of its folders must hold exactly what it held before its commands or what
# they leave (manifest_after.sh), byte for byte: once a command has exited 0, or the player was pulled out after
# it, only the latter. Work folder BUILD_DIR/vm-power-cut. Exits 77 (skipped) when QEMU, Debian's kernel or
# strace is missing. USB_POWER_CUT_SYNC=1 has the guest sync before the cut: what fails then is no matter of the
# cut but of what the commands do.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
# shellcheck source-path=SCRIPTDIR source=require_machine.sh
. "$here/require_machine.sh"
if ! command -v strace > /dev/null; then
    echo "skipped: strace is missing (package strace), which holds a command at a point"
    exit 77
fi
# shellcheck source-path=SCRIPTDIR source=usb_power_cut_cases.sh
. "$here/usb_power_cut_cases.sh"
export PATH=$PATH:/usr/sbin:/sbin MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

work=$build/vm-power-cut
sources=$work/sources
expect=$work/expect
rm -rf "$sources" "$expect" "$work"/*.img
mkdir -p "$sources" "$expect"
status=0
failed() {
    echo "FAILED: $*" >&2
    status=1
}

# Songs and other files of random bytes.
"$here/random_songs.sh" "$sources" 300 8
for file in k1.mp3:8 k2.mp3:8 k3.mp3:8 big.mp3:4096 small.mp3:64 report.txt:3 return.pdf:20 IMG_0001.jpg:40 \
    a.jpg:30 holiday.mp3:16 x.mp3:16 Y.MP3:16 z.rmp:16 m.mp3:16 deep.mp3:16 notes.txt:2 readme.txt:1; do
    head -c $((${file#*:} * 1024)) /dev/urandom > "$sources/${file%:*}"
done
printf '%s\r\n' '#EXTM3U' x.mp3 Y.MP3 z.rmp > "$sources/Songs.m3u8"

# IMAGE of SIZE KiB, labelled as it is named, for PLAYER with MUSIC laid out as LAYOUT (usb_power_cut_cases.sh).
make_image() {
    local image=$work/$1.img size=$2 player=$3 layout=$4 label=${1^^} i
    mkfs.vfat -C -n "$label" "$image" "$size" > /dev/null
    mmd -i "$image" ::/Documents ::/Documents/Tax2025 ::/DCIM ::/MUSIC
    mcopy -i "$image" "$sources/report.txt" ::/Documents/
    mcopy -i "$image" "$sources/return.pdf" ::/Documents/Tax2025/
    mcopy -i "$image" "$sources/IMG_0001.jpg" ::/DCIM/
    case $layout in
        songs | many | kept)
            mmd -i "$image" ::/MUSIC/Cut
            if [ "$layout" = many ]; then
                mcopy -i "$image" "$sources"/s[0-9][0-9][0-9].mp3 ::/MUSIC/Cut/
            else
                mcopy -i "$image" "$sources"/s00[1-5].mp3 ::/MUSIC/Cut/
            fi
            [ "$layout" != kept ] || mcopy -i "$image" "$sources/notes.txt" ::/MUSIC/Cut/
            ;;
        named)
            mmd -i "$image" ::/MUSIC/Cut
            for i in 1 2 3 4 5; do
                mcopy -i "$image" "$sources/s00$i.mp3" "::/MUSIC/Cut/0$i s00$i.mp3"
            done
            ;;
        folders)
            for i in 1 2 3 4 5 6 7 8; do
                mmd -i "$image" "::/MUSIC/F0$i"
                mcopy -i "$image" "$sources"/s00[1-3].mp3 "::/MUSIC/F0$i/"
            done
            ;;
    esac
    mmd -i "$image" ::/MUSIC/Keep
    mcopy -i "$image" "$sources"/k[1-3].mp3 ::/MUSIC/Keep/
    if [ "$player" = folder ]; then
        printf 'audio_folders=MUSIC/\n%s' "$([ "$layout" != named ] || echo song_order=name)" > "$work/player"
        mcopy -i "$image" "$work/player" ::/.is_audio_player
    fi
}
# A USB stick as a user's report found it: no player file, the audio folder its root.
make_mixed_image() {
    local image=$work/$1.img
    mkfs.vfat -C -n "${1^^}" "$image" 16384 > /dev/null
    mmd -i "$image" ::/Documents ::/Documents/Tax2025 ::/Photos ::/Songs ::/Mixed ::/Mixed/Sub ::/Empty
    mcopy -i "$image" "$sources/readme.txt" ::/
    mcopy -i "$image" "$sources/report.txt" ::/Documents/
    mcopy -i "$image" "$sources/return.pdf" ::/Documents/Tax2025/
    mcopy -i "$image" "$sources/a.jpg" "$sources/holiday.mp3" ::/Photos/
    mcopy -i "$image" "$sources/x.mp3" "$sources/Y.MP3" "$sources/z.rmp" "$sources/Songs.m3u8" ::/Songs/
    mcopy -i "$image" "$sources/m.mp3" ::/Mixed/
    mcopy -i "$image" "$sources/notes.txt" "$sources/deep.mp3" ::/Mixed/Sub/
}

# What IMAGE held before, and what the COMMANDS (" ; " between two) leave with AUDIO and ORDER (manifest_after.sh).
expect_after() {
    local image=$1 audio=$2 order=$3 words
    "$here/fat_manifest.sh" "$work/$image.img" > "$expect/$image.before"
    cp "$expect/$image.before" "$expect/$image.after"
    while read -r -a words; do
        "$here/manifest_after.sh" "$expect/$image.after" "$audio" "$order" "$sources" "${words[@]}" > "$expect/next"
        mv "$expect/next" "$expect/$image.after"
    done <<< "${4// ; /$'\n'}"
}
while read -r image player layout _ command; do
    case $player in
        internal | card) size=32768 ;;
        *) size=16384 ;;
    esac
    make_image "$image" "$size" "$player" "$layout"
    order=directory
    [ "$layout" != named ] || order=name
    expect_after "$image" MUSIC/ "$order" "$command"
done <<< "$power_cut_cases"
for image in "${mixed_images[@]}"; do
    make_mixed_image "${image%.img}"
done
# The guest removes Songs, Photos and Mixed, folders 3, 2 and 1 of the first ls.
expect_after mixrmdir "" directory "rmdir 3 ; rmdir 2 ; rmdir 1"
expect_after mixformat "" directory format

# fsck.fat's report on IMAGE but for its version, the dirty bit it would clear, and its count of files.
fsck_findings() {
    fsck.fat -n "$work/$1" 2>&1 | grep -vE -e '^fsck\.fat [0-9]|^$|^Leaving filesystem unchanged\.$' \
        -e 'Dirty bit is set|Automatically removing dirty bit' -e ': [0-9]+ files, [0-9]+/[0-9]+ clusters$' ||
        true
}
# The lines of the manifest FILE that belong to GROUP: a folder of MUSIC with all it holds, or "-" for the rest
# of the volume; through SORTED (sort in name order, where the player sorts the songs).
group_lines() {
    awk -F '\t' -v group="$2" '{ key = "-" }
        match($1, /^MUSIC\/[^\/]+\//) { key = substr($1, 1, RLENGTH) } key == group' "$1" | $3
}
# Every folder of MUSIC on IMAGE, and the rest of the volume, must hold what the commands leave (WHEN after),
# or that or what it held before (either): names (in the order of their entries), sizes and bytes. Never half a
# folder.
holds() {
    local image=${1%.img} when=$2 sorted=cat group actual before after wrong=() done=() changed=()
    [ "$(awk -v i="$image" '$1 == i { print $3 }' <<< "$power_cut_cases")" != named ] || sorted="sort"
    "$here/fat_manifest.sh" "$work/$1" > "$expect/$image.actual"
    while read -r group; do
        actual=$(group_lines "$expect/$image.actual" "$group" "$sorted")
        before=$(group_lines "$expect/$image.before" "$group" "$sorted")
        after=$(group_lines "$expect/$image.after" "$group" "$sorted")
        [ "$before" = "$after" ] || changed+=("$group")
        if [ "$actual" = "$after" ]; then
            [ "$before" = "$after" ] || done+=("$group")
        elif [ "$actual" != "$before" ] || [ "$when" = after ]; then
            wrong+=("$group")
        fi
    done < <(cut -f1 "$expect/$image".{before,after,actual} | sed -n 's#^\(MUSIC/[^/]*/\).*#\1#p' | sort -u; echo -)
    if [ "${#wrong[@]}" -eq 0 ]; then
        if [ "${done[*]}" = "${changed[*]}" ]; then
            echo "usb_power_cut_suite.sh: $1 holds what its commands leave"
        elif [ "${#done[@]}" -eq 0 ]; then
            echo "usb_power_cut_suite.sh: $1 holds what it held before its commands"
        else
            echo "usb_power_cut_suite.sh: $1 holds what its commands leave in ${done[*]}, the rest as before"
        fi
        return
    fi
    failed "$1: ${wrong[*]} holds other than what the commands leave$([ "$when" = after ] ||
        echo " or what it held before"):"$'\n'"$(diff <($sorted < "$expect/$image.after") \
        <($sorted < "$expect/$image.actual") --label after --label "on the image" -u | head -n 40)"
}
reader=$(power_cut_reader_images | paste -sd' ' -)
cut_images=$(awk '{ print $1 ".img" }' <<< "$power_cut_cases")

echo "usb_power_cut_suite.sh: the volumes are made ($SECONDS s); the boot whose power is cut"
VM_KEEP_IMAGES=1 VM_READER=$reader "$here/run.sh" "$work" "$here/usb_power_cut_guest.sh" cut "$build" "$work" \
    "$([ "${USB_POWER_CUT_SYNC:-0}" = 0 ] || echo sync)" ||
    failed "the boot whose power was cut"
rm -rf "$work/cut-share" && cp -r "$work/share" "$work/cut-share"
for image in $cut_images; do
    findings=$(fsck_findings "$image")
    [ -z "$findings" ] ||
        failed "$image right after the cut: fsck.fat finds more than the dirty bit:"$'\n'"$findings"
done
# What a command said was done is on the volume itself, not only after Tunedeck's next Open mends it.
while read -r image _ _ when _; do
    case $when in
        after | pulled) holds "$image.img" after ;;
    esac
done <<< "$power_cut_cases"

echo "usb_power_cut_suite.sh: the next boot on the same volumes ($SECONDS s)"
VM_KEEP_IMAGES=1 VM_READER="$reader ${mixed_images[*]}" "$here/run.sh" "$work" "$here/usb_power_cut_guest.sh" \
    check "$build" "$work" || failed "the boot after the cut"

# Linux keeps the dirty bit of a volume it found dirty, also once unmounted cleanly.
while read -r image _ _ when command; do
    findings=$(fsck_findings "$image.img")
    [ -z "$findings" ] ||
        failed "$image.img after the next boot: fsck.fat finds more than the dirty bit:"$'\n'"$findings"
    case $when in
        after | pulled) holds "$image.img" after ;;
        *) holds "$image.img" either ;;
    esac
done <<< "$power_cut_cases"
for image in "${mixed_images[@]}"; do
    findings=$(fsck.fat -n "$work/$image" 2>&1) || failed "$image is not clean:"$'\n'"$findings"
    holds "$image" after
done
echo "usb_power_cut_suite.sh: done in $SECONDS s; logs in $work (cut-share/ and share/: guest.log, cases/)"
exit "$status"
