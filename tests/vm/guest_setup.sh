# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a guest script: what a desktop has for a USB mass-storage player, on top of guest_base.sh: the
# kernel's USB, SCSI and FAT modules and udisksd. Sets internal_disk, card_disk and solo_disk to the block devices
# of the player's LUN 0 and LUN 1 and of the second player. Gives request_unplug and wait_unplugged.

# shellcheck source-path=SCRIPTDIR source=guest_base.sh
. "$(dirname "${BASH_SOURCE[0]}")/guest_base.sh"
# udisks mounts under /media and keeps its state in /var/lib/udisks2, which the host need not have.
mount -t tmpfs media /media
mount -t tmpfs var-lib /var/lib

# usb-storage waits a second before it scans a new disk by default; nothing here needs the wait.
modprobe usb_storage delay_use=0
for module in usbcore xhci_pci sd_mod scsi_mod vfat nls_cp437 nls_iso8859_1 nls_utf8 nls_cp932; do
    if modinfo "$module" >/dev/null 2>&1; then
        modprobe "$module"
    fi
done

# What media-player-info's hwdb says of a real Sansa Clip+ (0781:74d0); QEMU's disks are 46f4:0001.
echo 'SUBSYSTEM=="block", SUBSYSTEMS=="usb", ATTRS{idVendor}=="46f4", ENV{ID_MEDIA_PLAYER}="sandisk_sansa-clip-plus"' \
    > /run/udev/rules.d/70-tunedeck-player.rules
udevadm control --reload
# The kernel may name them in any order; their labels say which is which.
all_disks_seen() {
    local disks=(/sys/block/sd*)
    [ "${#disks[@]}" -eq 3 ] && [ -e "${disks[0]}" ]
}
retry_for 60 all_disks_seen
udevadm trigger --action=add
udevadm settle --timeout=60
internal_disk=$(readlink -f /dev/disk/by-label/INTERNAL)
card_disk=$(readlink -f /dev/disk/by-label/CARD)
solo_disk=$(readlink -f /dev/disk/by-label/SOLO)

/usr/libexec/udisks2/udisksd > /tmp/udisksd.log 2>&1 &
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
