# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a benchmark's guest script: fills a player's folder with many songs quickly. Each is written by
# the shell itself, since a process a song costs the emulated machine more than the song.
#
# preload_songs FOLDER COUNT makes FOLDER with COUNT songs of 8 KiB, "001 Preloaded song.mp3" … (as many digits
# as COUNT has), numbered apart as a player that plays by name numbers them, so a send to it renames none.

preload_song_bytes=$(head -c 8192 /dev/zero | tr '\0' S)

preload_songs() {
    local folder=$1 count=$2 i name
    mkdir -p "$folder"
    for ((i = 1; i <= count; i++)); do
        printf -v name '%0*d Preloaded song.mp3' "${#count}" "$i"
        printf '%s' "$preload_song_bytes" > "$folder/$name"
    done
}
