# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by guest_base.sh before udev starts: the desktop user Tunedeck runs as in the guest, with the device
# permissions a desktop gives and nothing more. The user `player`, in group plugdev, with a home and a runtime
# folder of their own (0700). The MTP player's USB device node is plugdev's, as distributions' rules give it:
# libmtp's own tag it for uaccess, which only a logind seat grants, and the guest has none. Block devices stay
# root's and group disk's, as on every desktop: a USB disk is mounted through UDisks2, which polkit lets plugdev
# do (start_polkit, before udisksd starts).
#   "${as_user[@]}" COMMAND...  runs COMMAND as that user, in the environment it inherits but for their own
#                               HOME, XDG_RUNTIME_DIR, USER and LOGNAME; an exec chain, so that timeout, strace,
#                               $! and kill reach COMMAND itself
#   serve_root FUNCTION...      lets the user's programs have root run these functions of the guest script, and
#                               only these (ask_root.sh NAME [WORD...]): what on a desktop a hand or another
#                               program does behind Tunedeck's back, such as a cable pulled out or an unmount by
#                               root, or what only root may look at, such as the files an MTP responder keeps

desktop_user=player

# DIR writable in the guest, over what the host has there, the writes kept in memory.
make_writable() {
    local name=${1//\//-}
    mkdir "/run/overlay$name" "/run/overlay$name.work"
    mount -t overlay "overlay$name" -o "lowerdir=$1,upperdir=/run/overlay$name,workdir=/run/overlay$name.work" "$1"
}

make_desktop_user() {
    make_writable /etc
    make_writable /home
    desktop_home=/home/$desktop_user
    useradd --user-group --groups plugdev --no-log-init --shell /bin/bash --home-dir "$desktop_home" \
        --no-create-home "$desktop_user"
    desktop_uid=$(id -u "$desktop_user")
    install -d -m 0700 -o "$desktop_user" -g "$desktop_user" "$desktop_home" "/run/user/$desktop_uid"
    # shellcheck disable=SC2034 # for the guest scripts
    as_user=(env HOME="$desktop_home" XDG_RUNTIME_DIR="/run/user/$desktop_uid" USER="$desktop_user"
        LOGNAME="$desktop_user" setpriv --reuid="$desktop_user" --regid="$desktop_user" --init-groups --)
}

# After libmtp's rules (69-libmtp.rules), which mark the device.
grant_mtp_to_plugdev() {
    cat > /run/udev/rules.d/70-plugdev-mtp.rules <<'EOF'
SUBSYSTEM=="usb", ENV{DEVTYPE}=="usb_device", ENV{ID_MTP_DEVICE}=="1", GROUP="plugdev", MODE="0660"
EOF
}

# What a desktop's active session may do with a removable drive without a password, granted to plugdev as
# distributions do for users without a seat: mount its file systems, eject it and power it off. Not mounting a
# system disk, nor unmounting another user's mount.
write_polkit_rules() {
    cat > /etc/polkit-1/rules.d/50-plugdev-removable.rules <<'EOF'
polkit.addRule(function (action, subject) {
    var allowed = [
        "org.freedesktop.udisks2.filesystem-mount",
        "org.freedesktop.udisks2.filesystem-mount-other-seat",
        "org.freedesktop.udisks2.eject-media",
        "org.freedesktop.udisks2.eject-media-other-seat",
        "org.freedesktop.udisks2.power-off-drive",
        "org.freedesktop.udisks2.power-off-drive-other-seat"
    ];
    if (subject.isInGroup("plugdev") && allowed.indexOf(action.id) >= 0)
        return polkit.Result.YES;
});
EOF
}

polkit_on_bus() {
    gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.freedesktop.PolicyKit1 2> /dev/null | grep -q true
}

# polkitd becomes its own user once on the system bus. UDisks2 asks it about every caller but root, so it must
# be there before udisksd.
start_polkit() {
    local polkitd=/usr/lib/polkit-1/polkitd
    if [ ! -x "$polkitd" ]; then
        echo "guest: $polkitd is missing (package polkitd), without which only root mounts a player" >&2
        return 1
    fi
    "$polkitd" --no-debug > /tmp/polkitd.log 2>&1 &
    if ! retry_for 30 polkit_on_bus; then
        echo "guest: polkitd is not on the system bus; its log:" >&2
        cat /tmp/polkitd.log >&2
        return 1
    fi
}

root_requests=/run/root-requests
serve_root() {
    local served=" $* "
    mkdir -p "$root_requests"
    rm -f "$root_requests/ask"
    mkfifo -m 0620 "$root_requests/ask"
    chgrp plugdev "$root_requests/ask"
    (
        # Open for writing too, so that the fifo never ends between two askers.
        exec 3<> "$root_requests/ask"
        local reply name words status
        while read -r -u 3 reply name words; do
            status=0
            if [[ $served == *" $name "* ]]; then
                # shellcheck disable=SC2086 # the asker's words, a word each
                "$name" $words > "$reply/out" 2> "$reply/err" < /dev/null || status=$?
            else
                echo "serve_root: root does not run $name for the user" > "$reply/err"
                status=2
            fi
            echo "$status" > "$reply/status"
        done
    ) &
}

make_desktop_user
grant_mtp_to_plugdev
write_polkit_rules
