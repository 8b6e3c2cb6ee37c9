#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# Prints the version of the newest kernel installed with its modules (Debian's linux-image-amd64), the one the
# guest boots. Point releases change it, so nothing else names it.
set -euo pipefail
version=
for kernel in /boot/vmlinuz-*; do
    candidate=${kernel#/boot/vmlinuz-}
    if [ -f "/lib/modules/$candidate/modules.dep" ]; then
        version=$(printf '%s\n%s\n' "$version" "$candidate" | sort -V | tail -n 1)
    fi
done
if [ -z "$version" ]; then
    echo "no kernel with modules in /boot and /lib/modules (linux-image-amd64)" >&2
    exit 1
fi
echo "$version"
