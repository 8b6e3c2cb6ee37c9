# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a guest script: files that are no songs though named so, which a send must refuse at once rather
# than wait on (a FIFO blocks its reader until a writer comes, a device like /dev/zero never ends).
# make_special_files makes them in a folder of its own (special_folder): a FIFO, a symbolic link to it, a
# character device and a socket. special_files_refused COMMAND... then runs `COMMAND send FILE` for each (tunedeck-player with its
# --player); each must exit with 1, saying "ファイルを読み込めません: " and the path, within 60 s (a busy
# emulated machine takes seconds to refuse). Prints what each said and how long it took, "FAILED: " lines for the
# rest, and returns 1 when any failed.
make_special_files() {
    # The guest's /tmp shows the host's, where anyone's files lie.
    special_folder=$(mktemp -d /tmp/special.XXXXXX)
    mkfifo "$special_folder/fifo.mp3"
    mknod "$special_folder/zero.mp3" c 1 5
    perl -MIO::Socket::UNIX -e \
        'IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $ARGV[0], Listen => 1) or die "socket: $!\n"' \
        "$special_folder/socket.mp3"
    ln -s fifo.mp3 "$special_folder/to-fifo.mp3"
}

special_files_refused() {
    local path status said start failed=0
    said=$(mktemp)
    for path in "$special_folder"/*.mp3; do
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
