#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# package_test.sh BUILD_DIR: makes the Debian package of the built tree as scripts/package does, into a
# folder of its own, and so has lintian check it: an error or a warning fails. Skipped without the tools.
set -euo pipefail
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$(dirname "$0")/../../scripts/package" --tree "$1" --into "$work"
