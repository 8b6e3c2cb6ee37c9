#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# The guest's first process: runs the command the host left in the share (one word a line), its output into
# the share's guest.log and its exit status into the share's status, then powers the guest off. Without a
# status the host counts the run as failed.
set -euo pipefail
mapfile -t command < "$VM_SHARE/command"
status=0
echo "guest: up after $(cut -d' ' -f1 /proc/uptime) s of the guest's clock" > "$VM_SHARE/guest.log"
"${command[@]}" >> "$VM_SHARE/guest.log" 2>&1 < /dev/null || status=$?
echo "$status" > "$VM_SHARE/status"
sync
busybox poweroff -f
