#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a temporary prefix and checks the desktop entry and the metainfo there. Then starts
# the installed program through its link, with a program folder the user cannot write: its component loads
# from beside the real executable, and its player store and settings file go to the per-user folder, where
# tunedeck-player finds the store too.
set -euo pipefail
work=$(mktemp -d)
program=
trap 'if [ -n "$program" ]; then kill "$program" || true; fi; chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/usr
export XDG_DATA_HOME=$work/data
store=$XDG_DATA_HOME/tunedeck/player
cmake --install "$1" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/tunedeck.desktop"
appstreamcli validate-tree --no-net "$prefix"
chmod -R a-w "$prefix/lib/tunedeck"

# Root writes anywhere; in a user namespace of its own it is held to the permissions, as a user is.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    if ! unshare --user true 2>/dev/null; then
        echo "skipped: running as root, and this machine allows no user namespace to drop root's rights in"
        exit 77
    fi
    as_user=(unshare --user)
fi
"${as_user[@]}" "$prefix/bin/tunedeck" &
program=$!
# Start-up has read the player once its store is there; a SIGTERM then ends the program as its close button.
for _ in $(seq 300); do [ -d "$store" ] && break; sleep 0.1; done
kill -TERM "$program"
wait "$program"
program=
grep -q '^Separate=' "$XDG_DATA_HOME/tunedeck/tunedeck.INI"
"${as_user[@]}" "$prefix/bin/tunedeck-player" status | grep -qx "store: $store"
