#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# fat_manifest.sh IMAGE: what the FAT image holds as mtools reads it, a line each: every folder (its path ending
# in "/") and file, folder by folder in the order of their directory entries, each folder's own entries before
# those of its subfolders; after a tab a file's size and the start of its SHA-256, "-" for a folder. Two images
# print alike only when they hold the same names, in the same order, with the same bytes. A file mtools cannot
# read prints as "unreadable", a folder whose entries lead elsewhere (a damaged volume) as "damaged".
# fat_manifest.sh --file FILE prints what follows the tab for a file of this machine.
set -euo pipefail
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8
if [ "$1" = --file ]; then
    printf '%s %s\n' "$(stat -c %s "$2")" "$(sha256sum < "$2" | cut -c1-16)"
    exit
fi
image=$1
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT

# The entries of FOLDER ("" for the root, else ending in "/"), then its subfolders' in turn. Its files are
# copied out folder by folder, so that a damaged folder spoils no other.
list() {
    local folder=$1 entry path sum
    local entries=() subfolders=()
    declare -A digests
    while IFS= read -r entry; do
        entries+=("${entry#::/}")
    done < <(mdir -a -b -i "$image" "::/$folder" 2> /dev/null || true)
    for path in "${entries[@]}"; do
        if [[ $path != "$folder"?* ]]; then
            printf '%s\tdamaged\n' "$folder"
            return
        fi
    done
    mkdir -p "$files/$folder"
    # In a shell of its own, which keeps quiet about an mcopy that aborts on a damaged volume.
    (mcopy -n -Q -i "$image" "::/$folder*" "$files/$folder" || true) > /dev/null 2>&1
    while IFS=$'\t' read -r sum path; do
        digests[$path]=$sum
    done < <(cd "$files/$folder" && find . -maxdepth 1 -type f -printf '%P\0' | xargs -0 -r sha256sum |
        sed 's/^\([0-9a-f]\{16\}\)[0-9a-f]*  /\1\t/')
    for path in "${entries[@]}"; do
        if [[ $path == */ ]]; then
            printf '%s\t-\n' "$path"
            subfolders+=("$path")
        elif [ -n "${digests[${path##*/}]:-}" ]; then
            printf '%s\t%s %s\n' "$path" "$(stat -c %s "$files/$path")" "${digests[${path##*/}]}"
        else
            printf '%s\tunreadable\n' "$path"
        fi
    done
    for path in "${subfolders[@]}"; do
        list "$path"
    done
}
list ""
