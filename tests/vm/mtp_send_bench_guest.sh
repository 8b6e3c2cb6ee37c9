#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# mtp_send_bench_guest.sh BUILD_DIR: in the guest, send_bench's send to an MTP player: the window sends 20 songs of
# 4 MiB to the internal memory (160 MiB) of umtprd's player, beside libmtp's mtp-sendfile of the same files to the
# same player, and Esc is pressed in the middle of a song. Run without the mass-storage players:
#   VM_USB_DISKS=0 tests/vm/run.sh build/release/vm-mtp-bench tests/vm/mtp_send_bench_guest.sh build/release
set -euo pipefail
build=$1
here=$(dirname "$0")
# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$here/guest_base.sh"
# shellcheck source-path=SCRIPTDIR source=mtp_responder.sh
. "$here/mtp_responder.sh"

start_mtp_player 160
TUNEDECK_BENCH_MTP=$mtp_player_id "$build/bin/send_bench" --benchmark_filter=BM_MenuSendToAnMtpPlayer 2>&1 |
    grep -v 'Android device detected'
