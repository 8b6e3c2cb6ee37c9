#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# random_songs.sh DIR COUNT KIB: COUNT songs of KIB KiB of random bytes in DIR, s001.mp3 on, for the test machine's
# suites and benchmarks (on the host or in the guest).
set -euo pipefail
mkdir -p "$1"
head -c $(($2 * $3 * 1024)) /dev/urandom |
    split -b $(($3 * 1024)) -a 3 --numeric-suffixes=1 --additional-suffix=.mp3 - "$1/s"
