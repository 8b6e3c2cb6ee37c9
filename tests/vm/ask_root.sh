#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# ask_root.sh NAME [WORD...]: in the guest, from the desktop user's side, has root run the function NAME that the
# guest script serves (serve_root in guest_user.sh) with those words, which hold no space; prints what it wrote,
# and exits with its status.
set -euo pipefail
reply=$(mktemp -d)
trap 'rm -rf "$reply"' EXIT
mkfifo "$reply/status"
echo "$reply $*" > /run/root-requests/ask
read -r status < "$reply/status"
cat "$reply/out" 2> /dev/null || true
cat "$reply/err" >&2
exit "$status"
