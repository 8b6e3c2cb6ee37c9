# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a suite on the host: skips it (exit 77) when QEMU or Debian's kernel is missing; scripts/setup
# installs both. Expects `here`, the folder of the test machine's scripts.
if ! command -v qemu-system-x86_64 >/dev/null; then
    echo "skipped: qemu-system-x86_64 is missing (package qemu-system-x86)"
    exit 77
fi
if ! "$here/kernel_version.sh" >/dev/null; then
    echo "skipped: no kernel to boot (package linux-image-amd64)"
    exit 77
fi
