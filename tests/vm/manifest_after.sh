#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# manifest_after.sh MANIFEST AUDIO ORDER SOURCES COMMAND...: the manifest (fat_manifest.sh) that
# tunedeck-player's COMMAND leaves on a mass-storage player whose volume held MANIFEST. AUDIO is its audio
# folder ("MUSIC/"), or "" for the root of a volume with neither .mpi nor .is_audio_player, where a folder is a
# player folder only when it holds songs or nothing at all; ORDER is directory or name; a song sent is
# SOURCES/NAME and gets its file name. Commands: send NAME..., swap A B, delete N, mkdir NAME, rmdir N, format; on
# folder 0 as ls numbers them. Removing a player folder takes its songs, Tunedeck's hidden files and its playlist
# <folder>.m3u8, then the folder once empty: any other file stays with the folders that hold it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
manifest=$1 audio=$2 order=$3 sources=$4
shift 4
export LC_ALL=C.UTF-8
mapfile -t lines < "$manifest"

fail() {
    echo "manifest_after.sh: $*" >&2
    exit 2
}
# paths and parents (ending in "/", "" for the root) of the lines, after each change.
index_lines() {
    local line path
    paths=() parents=()
    for line in "${lines[@]}"; do
        path=${line%%$'\t'*}
        paths+=("$path")
        path=${path%/}
        [[ $path == */* ]] && parents+=("${path%/*}/") || parents+=("")
    done
}
name_of() {
    local path=${1%/}
    name=${path##*/}
}
is_song() {
    name_of "$1"
    [[ $1 != */ && $name != .* && ${name,,} == *.@(mp3|rmp) ]]
}
# found: the indexes of the lines directly in FOLDER, in the order of their entries.
entries_of() {
    local i
    found=()
    for i in "${!lines[@]}"; do
        [ "${parents[i]}" != "$1" ] || found+=("$i")
    done
}
# songs: the indexes of FOLDER's songs in play order.
songs_of() {
    local i
    entries_of "$1"
    mapfile -t songs < <(for i in "${found[@]}"; do
        if is_song "${paths[i]}"; then
            printf '%s\t%s\n' "$name" "$i"
        fi
    done | if [ "$order" = name ]; then sort -f; else cat; fi | cut -f2)
}
# folders: the player folders, sorted by name, as paths.
player_folders() {
    local i
    entries_of "$audio"
    mapfile -t folders < <(for i in "${found[@]}"; do
        name_of "${paths[i]}"
        [[ ${paths[i]} == */ && $name != .* ]] || continue
        if [ -z "$audio" ]; then
            songs_of "${paths[i]}"
            entries_of "${paths[i]}"
            [ "${#songs[@]}" -gt 0 ] || [ "${#found[@]}" -eq 0 ] || continue
        fi
        echo "${paths[i]}"
    done | sort -f)
}
player_folder() {
    player_folders
    [ "$1" -lt "${#folders[@]}" ] || fail "no player folder $1"
    folder=${folders[$1]}
}
song_at() {
    songs_of "$1"
    [ "$2" -lt "${#songs[@]}" ] || fail "no song $2 in $1"
    song=${songs[$2]}
}
# Puts LINE after the last entry of FOLDER, or after FOLDER when it holds none.
append_to() {
    local at i
    entries_of "$1"
    if [ "${#found[@]}" -gt 0 ]; then
        at=${found[-1]}
    else
        for i in "${!paths[@]}"; do
            [ "${paths[i]}" != "$1" ] || at=$i
        done
    fi
    lines=("${lines[@]:0:at+1}" "$2" "${lines[@]:at+1}")
    index_lines
}
drop() {
    unset "lines[$1]"
    lines=("${lines[@]}")
    index_lines
}
# What removing one player folder leaves.
clear_folder() {
    local folder=$1 i at path playlist
    name_of "$folder"
    playlist=$folder$name.m3u8
    entries_of "$folder"
    for ((i = ${#found[@]} - 1; i >= 0; i--)); do
        at=${found[i]} path=${paths[${found[i]}]}
        if is_song "$path" || [[ $path != */ && ($name == .tunedeck-* || $path == "$playlist") ]]; then
            drop "$at"
        fi
    done
    for i in "${!paths[@]}"; do
        [[ ${paths[i]} != "$folder"?* ]] || return 0
    done
    for i in "${!paths[@]}"; do
        [ "${paths[i]}" != "$folder" ] || { drop "$i" && return 0; }
    done
}

index_lines
command=$1
shift
case $command in
    send)
        [ "$order" = directory ] || fail "a send in name order numbers the songs; not modelled"
        player_folder 0
        for sent in "$@"; do
            append_to "$folder" "$folder$sent"$'\t'"$("$here/fat_manifest.sh" --file "$sources/$sent")"
        done
        ;;
    swap)
        player_folder 0
        song_at "$folder" "$1"
        a=$song
        song_at "$folder" "$2"
        b=$song
        if [ "$order" = directory ]; then
            line=${lines[a]}
            lines[a]=${lines[b]}
            lines[b]=$line
        else
            # "01 a.mp3" and "05 e.mp3" become "01 e.mp3" and "05 a.mp3", each with its own bytes.
            name_of "${paths[a]}"
            name_a=$name
            name_of "${paths[b]}"
            line=$folder${name_a%% *}" "${name#* }$'\t'${lines[b]#*$'\t'}
            lines[b]=$folder${name%% *}" "${name_a#* }$'\t'${lines[a]#*$'\t'}
            lines[a]=$line
        fi
        ;;
    delete)
        player_folder 0
        song_at "$folder" "$1"
        drop "$song"
        ;;
    mkdir) append_to "$audio" "$audio$1/"$'\t'- ;;
    rmdir)
        player_folder "$1"
        clear_folder "$folder"
        ;;
    format)
        player_folders
        for each in "${folders[@]}"; do
            clear_folder "$each"
        done
        ;;
    *) fail "no model of $command" ;;
esac
printf '%s\n' "${lines[@]}"
