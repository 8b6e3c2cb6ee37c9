# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a guest script, directly or through guest_setup.sh: what every guest needs whatever is plugged in.
# The environment, retry_for, the desktop user (guest_user.sh), and the services a desktop starts by hand here,
# since the guest has no systemd: a system D-Bus and udev.

export PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/run/dbus/system_bus_socket
export HOME=/tmp/home XDG_RUNTIME_DIR=/run/user/0 QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" /run/dbus /run/udev/rules.d
# Bash's process substitution needs /dev/fd, which devtmpfs lacks.
[ -e /dev/fd ] || ln -s /proc/self/fd /dev/fd
mkdir -p /run/user && mkdir -m 0700 "$XDG_RUNTIME_DIR"

# Calls a function with no arguments until it succeeds, once a second for at most SECONDS.
retry_for() {
    local seconds=$1 what=$2
    for _ in $(seq "$seconds"); do
        if "$what"; then
            return 0
        fi
        sleep 1
    done
    echo "guest: gave up on $what after $seconds s" >&2
    return 1
}

# shellcheck source-path=SCRIPTDIR source=guest_user.sh
. "$(dirname "${BASH_SOURCE[0]}")/guest_user.sh"
dbus-daemon --system --fork --nopidfile
/lib/systemd/systemd-udevd --daemon
