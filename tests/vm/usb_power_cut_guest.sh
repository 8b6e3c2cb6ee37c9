#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# usb_power_cut_guest.sh cut|check BUILD_DIR WORK [sync]: in the guest, the power cuts of usb_power_cut_cases.sh
# on the images usb_power_cut_suite.sh made in WORK (the songs it sends lie in WORK/sources).
# cut: the kernel writes back nothing but what a program syncs, as long as it likes; the cases run side by side,
# each on its own volume, either to its end or held (strace) at its point; the second player is pulled out once
# its commands are done; then the power is cut (after a sync when asked).
# check, the next boot: Tunedeck opens every volume again (ls), which finishes or removes what the cut left; a
# FIFO, a device node and a socket are sent to the USB and the emulated player; two volumes of documents, photos
# and songs have folders removed and are formatted; every volume is put away cleanly for the host's checks.
# Tunedeck runs as the desktop user (guest_user.sh); root holds it with strace, pulls out and cuts the power.
set -euo pipefail
phase=$1
build=$2
work=$3
sync=${4:-}
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_setup.sh
. "$here/guest_setup.sh"
# shellcheck source-path=SCRIPTDIR source=usb_power_cut_cases.sh
. "$here/usb_power_cut_cases.sh"
# shellcheck source-path=SCRIPTDIR source=non_regular_files.sh
. "$here/non_regular_files.sh"

player=("${as_user[@]}" "$build/bin/tunedeck-player")
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
# Says what the guest did, and when.
say() {
    local uptime
    read -r uptime _ < /proc/uptime
    echo "guest: $* ($uptime s)"
}
# What each case's commands say, kept by the host across the power cut.
out=$VM_SHARE/cases
mkdir -p "$out"

find_players "${player[@]}"
say "tunedeck-player finds both players"

# The reader's volumes, all at once, with the options UDisks2 gives the players' FAT for the desktop user but
# without its seconds a volume, and without flush: a removal or a rename is then written only when Tunedeck syncs
# it, as on a stick mounted by hand.
desktop_gid=$(id -g "$desktop_user")
declare -A mounts
mounting=()
while read -r image; do
    image=${image%.img}
    mounts[$image]=/media/reader/$image
    mkdir -p "/media/reader/$image"
    mount -t vfat -o "nosuid,nodev,relatime,uid=$desktop_uid,gid=$desktop_gid,fmask=0022,dmask=0022" \
        -o codepage=437,iocharset=ascii,shortname=mixed,showexec,utf8,errors=remount-ro \
        "/dev/disk/by-label/${image^^}" "/media/reader/$image" &
    mounting+=("$!")
done < "$VM_SHARE/reader"
for each in "${mounting[@]}"; do
    wait "$each"
done
say "the card reader's volumes are mounted"
# The arguments that name the player a case works on.
player_args() {
    case $2 in
        internal) args=(--player "$two" --memory 0) ;;
        card) args=(--player "$two" --memory 1) ;;
        solo) args=(--player "$solo") ;;
        folder) args=(--player "${mounts[$1]}") ;;
    esac
}
# words: the command's, a song sent being one of the host's.
command_words() {
    read -ra words <<< "$1"
    if [ "${words[0]}" = send ]; then
        local songs=("${words[@]:1}")
        words=(send "${songs[@]/#/$work/sources/}")
    fi
}
# Runs one command of a case, its output into the case's log; fails unless it exits 0.
run_command() {
    local image=$1
    command_words "$2"
    echo "== ${args[*]} ${words[*]}" >> "$out/$image.out"
    if ! "${player[@]}" "${args[@]}" "${words[@]}" >> "$out/$image.out" 2>&1; then
        echo "FAILED: $image: tunedeck-player ${words[*]} failed: $(tail -n 3 "$out/$image.out")" >&2
        return 1
    fi
}
run_commands() {
    local image=$1 command
    while read -r command; do
        run_command "$image" "$command" || return 1
    done <<< "${2// ; /$'\n'}"
    say "$image: $2: done"
}

# Every tunedeck-player lists UDisks2's objects as it starts, every drive and volume with all their properties,
# the reader's LUNs among them. Twenty such listings asked in one instant queue in the emulated machine's
# udisksd for up to ten seconds, past the five Tunedeck waits for one (a desktop answers in milliseconds): so
# the commands start a second apart. The cut still comes only once all have ended or are held.
start_apart() {
    sleep 1
}

# True once the case held is at its point (strace has logged the call it holds), or has ended.
at_point() {
    local lines=() calls=0 line
    [ ! -e "$out/$image.strace" ] || mapfile -t lines < "$out/$image.strace"
    for line in "${lines[@]}"; do
        [[ $line != *"$syscall("* ]] || calls=$((calls + 1))
    done
    [ "$calls" -ge "$count" ] || ! kill -0 "$pid" 2> /dev/null
}

phase_cut() {
    # Periodic writeback would write what a program did not sync only 30 s on; now not at all, so that a cut
    # any time after a command finds what one a second after it finds.
    echo 0 > /proc/sys/vm/dirty_writeback_centisecs
    local image kind when command syscall count pid waits=() held=() on_two=()
    while read -r image kind _ when command; do
        player_args "$image" "$kind"
        start_apart
        case $when in
            after)
                # Both memories of one player open together: their cases go one after the other.
                if [ "$kind" = internal ] || [ "$kind" = card ]; then
                    on_two+=("$image|$kind|$command")
                    continue
                fi
                run_commands "$image" "$command" &
                waits+=("$!:$image")
                ;;
            pulled)
                (run_commands "$image" "$command" && request_unplug solo && wait_unplugged 30 &&
                    say "$image pulled out right after: $command") &
                waits+=("$!:$image")
                ;;
            *)
                command_words "$command"
                strace -f -qq --seccomp-bpf -o "$out/$image.strace" -e trace="${when%:*}" \
                    -e inject="${when%:*}:delay_enter=600s:when=${when#*:}" \
                    "${player[@]}" "${args[@]}" "${words[@]}" > "$out/$image.out" 2>&1 &
                held+=("$!:$image:$when")
                ;;
        esac
    done <<< "$power_cut_cases"
    (
        for each in "${on_two[@]}"; do
            IFS='|' read -r image kind command <<< "$each"
            player_args "$image" "$kind"
            run_commands "$image" "$command" || exit 1
        done
    ) &
    waits+=("$!:internal and card")

    local each
    for each in "${waits[@]}"; do
        wait "${each%%:*}" || fail "${each#*:}: the commands did not all succeed"
    done
    say "every command to finish before the cut has exited 0"
    # Every case held comes to its point, or ends.
    local waited=0 left
    while [ "${#held[@]}" -gt 0 ]; do
        left=()
        for each in "${held[@]}"; do
            IFS=: read -r pid image syscall count <<< "$each"
            if ! at_point; then
                left+=("$each")
            elif kill -0 "$pid" 2> /dev/null; then
                say "$image held at $syscall call $count"
            elif wait "$pid"; then
                say "$image ended before $syscall call $count; the cut comes after it"
            else
                fail "$image: the command failed before its point: $(tail -n 3 "$out/$image.out")"
            fi
        done
        held=("${left[@]}")
        if [ "${#held[@]}" -gt 0 ] && [ $((waited += 1)) -gt 600 ]; then
            fail "never came to their points: ${held[*]}"
            break
        fi
        sleep 0.2
    done
    if [ "$sync" = sync ]; then
        sync
        say "synced before the cut"
    fi
    request_power_cut "$failed"
}

phase_check() {
    local image kind each store recovered=() waits=()
    # The mixed volumes and the emulated player have nothing to recover: their checks start at once.
    make_non_regular_files
    mixed_rmdir "${mounts[mixrmdir]}" &
    waits+=("$!")
    start_apart
    mixed_format "${mounts[mixformat]}" &
    waits+=("$!")
    # The store made first, so that the time a refusal takes is the send's own.
    store=$("${as_user[@]}" mktemp -d /tmp/emulated.XXXXXX)
    start_apart
    {
        "${player[@]}" --store "$store" ls > /dev/null && non_regular_files_refused "${player[@]}" --store "$store"
    } > "$out/odd emulated" 2>&1 &
    waits+=("$!")
    # What the cut left, finished or removed: the players' memories and each folder player, side by side.
    for each in two solo; do
        start_apart
        "${player[@]}" --player "${!each}" ls > "$out/$each.ls" 2>&1 &
        recovered+=("$!:$each")
    done
    while read -r image kind _; do
        [ "$kind" = folder ] || continue
        start_apart
        "${player[@]}" --player "${mounts[$image]}" ls > "$out/$image.ls" 2>&1 &
        recovered+=("$!:$image")
    done <<< "$power_cut_cases"
    for each in "${recovered[@]}"; do
        wait "${each%%:*}" || fail "${each#*:}: ls after the cut failed: $(tail -n 3 "$out/${each#*:}.ls")"
    done
    say "Tunedeck opened every volume after the cut"

    # A USB player refuses what is no song, as the emulated one (a folder player takes the same way).
    start_apart
    non_regular_files_refused "${player[@]}" --player "$solo" > "$out/odd solo" 2>&1 &
    waits+=("$!")
    for each in "${waits[@]}"; do
        wait "$each" || failed=1
    done
    for each in emulated solo; do
        sed "s/^/$each: /" "$out/odd $each"
    done

    local disk
    for disk in $(findmnt -rn -o SOURCE | grep '^/dev/sd'); do
        umount "$disk" || fail "$disk was not unmounted"
    done
    say "every volume is put away"
    return "$failed"
}

# The folder player's folders, a name a line, as ls lists them.
listed_folders() {
    "${player[@]}" --player "$1" ls | sed -n 's/^  folder [0-9]*: //p'
}
# On a volume with neither .mpi nor .is_audio_player a folder that holds no song, and is not empty, is no player
# folder: never listed, never touched. Removing or formatting a player folder keeps every file but its songs.
# listed: the folders ls lists, a name a line.
mixed_listed() {
    listed=$(listed_folders "$1")
    [ "${listed//$'\n'/,}" = Empty,Mixed,Photos,Songs ] ||
        fail "$1: ls lists the folders ${listed//$'\n'/,}, not Empty,Mixed,Photos,Songs"
}
# The folders go last first, so that one ls numbers them all.
mixed_rmdir() {
    local name index listed
    mixed_listed "$1"
    for name in Songs Photos Mixed; do
        index=$(grep -nxF "$name" <<< "$listed" | cut -d: -f1)
        if [ -z "$index" ]; then
            fail "$1: ls does not list $name to remove"
        elif ! "${player[@]}" --player "$1" rmdir $((index - 1)); then
            fail "$1: rmdir of $name failed"
        fi
    done
    say "$1: Songs, Photos and Mixed removed"
    return "$failed"
}
mixed_format() {
    local listed
    mixed_listed "$1"
    "${player[@]}" --player "$1" format || fail "$1: format failed"
    say "$1: formatted"
    return "$failed"
}

"phase_$phase"
