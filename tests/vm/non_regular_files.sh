# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a guest script: files that are no songs though named so, which a send must refuse at once rather
# than wait on (a FIFO blocks its reader until a writer comes, a device like /dev/zero never ends).
# make_non_regular_files makes them in a folder of its own (odd_folder), the desktop user's: a FIFO, a symbolic
# link to it, a character device and a socket. non_regular_files_refused COMMAND... then runs `COMMAND send FILE`
# for each (tunedeck-player with its --player); each must exit with 1, saying "ファイルを読み込めません: " and the
# path, within 60 s (a busy emulated machine takes seconds to refuse). Prints what each said and how long it took,
# "FAILED: " lines for the rest, and returns 1 when any failed.
make_non_regular_files() {
    # The guest's /tmp shows the host's, where anyone's files lie.
    odd_folder=$(mktemp -d /tmp/odd.XXXXXX)
    mkfifo "$odd_folder/fifo.mp3"
    mknod "$odd_folder/zero.mp3" c 1 5
    perl -MIO::Socket::UNIX -e \
        'IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $ARGV[0], Listen => 1) or die "socket: $!\n"' \
        "$odd_folder/socket.mp3"
    ln -s fifo.mp3 "$odd_folder/to-fifo.mp3"
    # The desktop user's own, so that what refuses them is what they are.
    # shellcheck disable=SC2154 # guest_user.sh's
    chown -hR "$desktop_user:" "$odd_folder"
}

non_regular_files_refused() {
    local path status said start failed=0
    said=$(mktemp)
    for path in "$odd_folder"/*.mp3; do
        status=0
        start=${EPOCHREALTIME/./}
        timeout 60 "$@" send "$path" > /dev/null 2> "$said" || status=$?
        if [ "$status" -eq 124 ]; then
            echo "FAILED: $* send $path hung for 60 s" >&2
            failed=1
        elif [ "$status" -ne 1 ] || ! grep -qF "ファイルを読み込めません: $path" "$said"; then
            echo "FAILED: $* send $path exited with $status: $(cat "$said")" >&2
            failed=1
        else
            echo "refused in $(((${EPOCHREALTIME/./} - start) / 1000)) ms:" \
                "$(grep -F "ファイルを読み込めません" "$said")"
        fi
    done
    rm -f "$said"
    return "$failed"
}
