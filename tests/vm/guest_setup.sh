# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a guest script: what a desktop has for a USB mass-storage player, on top of guest_base.sh: the
# kernel's USB, SCSI and FAT modules, polkitd and udisksd. Sets internal_disk, card_disk and solo_disk to the
# block devices of the player's LUN 0 and LUN 1 and of the second player; the LUNs of run.sh's card reader
# (VM_READER) are found by their labels. Gives find_players, request_unplug, wait_unplugged and
# request_power_cut.

# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$(dirname "${BASH_SOURCE[0]}")/guest_base.sh"
# udisks mounts under /media and keeps its state in /var/lib/udisks2, which the host need not have.
mount -t tmpfs media /media
mount -t tmpfs var-lib /var/lib

# usb-storage waits a second before it scans a new disk by default; nothing here needs the wait.
modprobe usb_storage delay_use=0
# In one go: each modprobe costs the emulated machine a second. One this kernel lacks is passed over.
modprobe -a -q usbcore xhci_pci sd_mod scsi_mod vfat nls_cp437 nls_iso8859_1 nls_utf8 nls_cp932 || true

# What media-player-info's hwdb says of a real Sansa Clip+ (0781:74d0); QEMU's disks are 46f4:0001. The card
# reader is none.
cat > /run/udev/rules.d/70-tunedeck-player.rules <<'EOF'
SUBSYSTEM=="block", SUBSYSTEMS=="usb", ATTRS{idVendor}=="46f4", ENV{ID_MEDIA_PLAYER}="sandisk_sansa-clip-plus"
SUBSYSTEM=="block", SUBSYSTEMS=="usb", ATTRS{serial}=="TUNEDECK-READER*", ENV{ID_MEDIA_PLAYER}=""
EOF
udevadm control --reload
reader_luns=0
if [ -f "$VM_SHARE/reader" ]; then
    reader_luns=$(wc -l < "$VM_SHARE/reader")
fi
# The kernel may name them in any order; their labels say which is which.
all_disks_seen() {
    local disks=(/sys/block/sd*)
    [ "${#disks[@]}" -eq $((3 + reader_luns)) ] && [ -e "${disks[0]}" ]
}
retry_for 60 all_disks_seen
start_polkit
# udisksd takes in the disks as udev passes them on, while udev is still at the others.
/usr/libexec/udisks2/udisksd > /tmp/udisksd.log 2>&1 &
udevadm trigger --action=add
udevadm settle --timeout=60
internal_disk=$(readlink -f /dev/disk/by-label/INTERNAL)
card_disk=$(readlink -f /dev/disk/by-label/CARD)
solo_disk=$(readlink -f /dev/disk/by-label/SOLO)

udisks_lists_all() {
    gdbus call --system --dest org.freedesktop.UDisks2 --object-path /org/freedesktop/UDisks2/Manager \
        --method org.freedesktop.UDisks2.Manager.GetBlockDevices '{}' > /tmp/udisks-blocks 2>/dev/null &&
        for disk in "$internal_disk" "$card_disk" "$solo_disk"; do
            grep -q "block_devices/${disk#/dev/}'" /tmp/udisks-blocks || return 1
        done
}
retry_for 60 udisks_lists_all

echo "guest: the player is ready after $(cut -d' ' -f1 /proc/uptime) s"
for disk in "$internal_disk" "$card_disk" "$solo_disk"; do
    echo "== udev on $disk"
    udevadm info --query=property --name="$disk" | grep -E '^(ID_PATH|ID_FS_|ID_MEDIA_PLAYER|ID_SERIAL)'
done

# Sets two and solo to the ids tunedeck-player (the command PLAYER...) gives the player with a card and the
# second player.
find_players() {
    local id memories
    two="" solo=""
    while read -r id memories; do
        case $memories in
            2) two=$id ;;
            1) solo=$id ;;
        esac
    done < <("$@" players | awk '/^[a-z]+:/ { id = $1 } $0 == "  kind: player" { player[id] = 1 }
        /^  memory [0-9]:/ && (id in player) { memories[id]++ }
        END { for (id in memories) print id, memories[id] }')
    if [ -z "$two" ] || [ -z "$solo" ]; then
        echo "guest: tunedeck-player players does not list both players" >&2
        return 1
    fi
}

# The host pulls a player out once asked to ("player", the default, or "solo"), and answers with
# share/unplugged.
request_unplug() {
    echo "${1:-player}" > "$VM_SHARE/unplug"
}
unplugged() {
    [ -e "$VM_SHARE/unplugged" ]
}
wait_unplugged() {
    retry_for "${1:-30}" unplugged
}
# The host plugs the second player in again once asked to.
request_replug() {
    touch "$VM_SHARE/replug"
}
replugged() {
    [ -e "$VM_SHARE/replugged" ]
}

# The host cuts the power at once, as a cable pulled out of a player that has no battery: QEMU is killed, and
# the kernel writes nothing more to any disk. The guest script's status is STATUS (0).
request_power_cut() {
    echo "${1:-0}" > "$VM_SHARE/status"
    touch "$VM_SHARE/power-cut"
    sleep 30
    echo "guest: the power was not cut within 30 s" >&2
    exit 1
}

# Expectations the host checks on the images after the run (check_images.sh); IMAGE is internal.img,
# card.img or solo.img. The names in FOLDER, in the order of their directory entries:
expect_order() {
    local image=$1 folder=$2
    shift 2
    (IFS=$'\t' && echo "$image"$'\t'"$folder"$'\t'"$*") >> "$VM_SHARE/expect-order"
}
# An image the player was pulled out of while it was written, which fsck.fat then need not find clean:
expect_unclean() {
    echo "$1" >> "$VM_SHARE/expect-unclean"
}
