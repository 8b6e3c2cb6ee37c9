#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# check_images.sh WORK: the host's checks of the player's images after run.sh. Each must pass fsck.fat
# without changes, unless the guest said it pulled the player out while writing it and the player was pulled
# out; and each folder the guest named in share/expect-order must hold exactly those names in that order of
# directory entries, as mtools reads them.
set -euo pipefail
work=$1
# mkfs.vfat and fsck.fat are in sbin, which a user's PATH may lack.
export PATH=$PATH:/usr/sbin:/sbin
share=$work/share
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8
failed=0

for image in internal.img card.img solo.img; do
    if report=$(fsck.fat -n "$work/$image" 2>&1); then
        echo "check_images.sh: $image is clean"
    elif grep -qx "$image" "$share/expect-unclean" 2>/dev/null && [ -e "$share/unplugged" ]; then
        echo "check_images.sh: $image was pulled out while written; fsck.fat says:"
        echo "$report"
    else
        echo "check_images.sh: $image is not clean:" >&2
        echo "$report" >&2
        failed=1
    fi
done

if [ -f "$share/expect-order" ]; then
    while IFS=$'\t' read -r image folder names; do
        expected=$(tr '\t' '\n' <<< "$names")
        if ! listing=$(mdir -b -i "$work/$image" "::/$folder" 2>&1); then
            echo "check_images.sh: $image has no folder $folder: $listing" >&2
            failed=1
            continue
        fi
        actual=${listing//"::/$folder/"/}
        if [ "$actual" = "$expected" ]; then
            echo "check_images.sh: $image $folder holds, in order: $(tr '\n' ' ' <<< "$actual")"
        else
            echo "check_images.sh: $image $folder is out of order" >&2
            diff <(echo "$expected") <(echo "$actual") --label expected --label "on the image" -u >&2 || true
            failed=1
        fi
    done < "$share/expect-order"
fi
exit "$failed"
