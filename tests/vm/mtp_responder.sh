# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by a guest script after guest_base.sh (or guest_setup.sh, which sources it): an MTP player on the
# guest's own USB bus. The kernel's dummy_hcd joins a USB device controller to a host controller inside the guest;
# a configfs gadget with one FunctionFS function is the device, and Debian's umtprd answers MTP on it, with two
# storages on tmpfs: "Internal Memory" (48 MiB unless told otherwise) and "External uSD Card" (8 MiB, to fill
# cheaply). The storages start with the same content on every run: Music/Preloaded.mp3 (64 KiB) on the internal
# memory, "On the card.mp3" (32 KiB) on the card, their bytes and dates fixed, so recordings come out alike.
#
# start_mtp_player [INTERNAL_MIB [FILL]] plugs it in and waits until udev has found it an MTP device (FILL, a
# command, first adds to the fresh storages: umtprd sees what its storage holds when it starts); then
#   mtp_sysfs      its sysfs path (/sys/devices/platform/dummy_hcd.0/usb1/1-1)
#   mtp_node       its device node (/dev/bus/usb/001/002)
#   mtp_player_id  mtp:VENDOR:MODEL:SERIAL as udev names it (mtp:1d6b:0100:MTP0001)
#   mtp_internal, mtp_card  the storages' folders in the guest
# stop_mtp_responder kills umtprd as a crash would; unplug_mtp_player pulls the player out (the device leaves the
# bus); replug_mtp_player plugs it in again with umtprd started afresh, and waits as start_mtp_player does.
# write_umtprd_conf before a replug gives umtprd what mtp_without_card says: when it is not empty, the internal
# memory only.

if ! declare -F retry_for > /dev/null; then
    echo "mtp_responder.sh: source guest_base.sh first" >&2
    exit 2
fi

mtp_vendor=1d6b
mtp_product=0100
mtp_serial=MTP0001
mtp_root=/tmp/mtp
mtp_internal=$mtp_root/internal
mtp_card=$mtp_root/card
mtp_card_mib=8
mtp_gadget=/sys/kernel/config/usb_gadget/tunedeck
mtp_ffs=/dev/ffs-mtp
mtp_responder_pid=
mtp_without_card=

# Writes umtprd's configuration: the two storages, the strings MTP's DeviceInfo tells, and the FunctionFS
# endpoints. "MTP" as the interface's string is what libmtp's probe looks for on a device it does not know.
# umtprd's events of changed files (inotify, "beta" in its own words) are off: with them every send hung after
# SendObjectInfo or failed at the end ("PTP I/O Error"); without, sends of 100 KiB to 80 MiB go through.
write_umtprd_conf() {
    local card="storage \"$mtp_card\" \"External uSD Card\" \"rw,removable\""
    [ -z "$mtp_without_card" ] || card=
    cat > "$mtp_root/umtprd.conf" <<EOF
loop_on_disconnect 1
no_inotify 0x1
storage "$mtp_internal" "Internal Memory" "rw"
$card
manufacturer "Tunedeck"
product "Test MTP player"
serial "$mtp_serial"
firmware_version "1.0"
interface "MTP"
usb_vendor_id 0x$mtp_vendor
usb_product_id 0x$mtp_product
usb_class 0x6
usb_subclass 0x1
usb_protocol 0x1
usb_dev_version 0x3008
usb_functionfs_mode 0x1
usb_dev_path "$mtp_ffs/ep0"
usb_epin_path "$mtp_ffs/ep1"
usb_epout_path "$mtp_ffs/ep2"
usb_epint_path "$mtp_ffs/ep3"
usb_max_packet_size 0x200
EOF
}

# The gadget: the ids and strings the host sees, one configuration holding the FunctionFS function.
make_mtp_gadget() {
    mkdir "$mtp_gadget" "$mtp_gadget/strings/0x409" "$mtp_gadget/functions/ffs.mtp" "$mtp_gadget/configs/c.1" \
        "$mtp_gadget/configs/c.1/strings/0x409"
    echo "0x$mtp_vendor" > "$mtp_gadget/idVendor"
    echo "0x$mtp_product" > "$mtp_gadget/idProduct"
    echo Tunedeck > "$mtp_gadget/strings/0x409/manufacturer"
    echo "Test MTP player" > "$mtp_gadget/strings/0x409/product"
    echo "$mtp_serial" > "$mtp_gadget/strings/0x409/serialnumber"
    echo MTP > "$mtp_gadget/configs/c.1/strings/0x409/configuration"
    ln -s "$mtp_gadget/functions/ffs.mtp" "$mtp_gadget/configs/c.1/"
}

# Fresh storages of fixed content: the same bytes and dates on every run.
fill_mtp_storages() {
    local internal_mib=$1
    mkdir -p "$mtp_internal" "$mtp_card"
    mount -t tmpfs -o "size=${internal_mib}m" mtp-internal "$mtp_internal"
    mount -t tmpfs -o "size=${mtp_card_mib}m" mtp-card "$mtp_card"
    mkdir "$mtp_internal/Music"
    head -c 64K /dev/zero | tr '\0' P > "$mtp_internal/Music/Preloaded.mp3"
    head -c 32K /dev/zero | tr '\0' C > "$mtp_card/On the card.mp3"
    touch -d '2024-01-01 12:00:00 UTC' "$mtp_internal/Music/Preloaded.mp3" "$mtp_internal/Music" \
        "$mtp_card/On the card.mp3"
}

# FunctionFS makes the data endpoints once umtprd has written its descriptors to ep0.
mtp_endpoints_ready() {
    [ -e "$mtp_ffs/ep1" ]
}

# Starts umtprd on the FunctionFS mount and waits until it has described its endpoints.
start_mtp_responder() {
    umtprd -conf "$mtp_root/umtprd.conf" >> "$mtp_root/umtprd.log" 2>&1 &
    mtp_responder_pid=$!
    if ! retry_for 15 mtp_endpoints_ready; then
        echo "mtp_responder.sh: umtprd made no endpoints; its log:" >&2
        cat "$mtp_root/umtprd.log" >&2
        return 1
    fi
}

mtp_responder_running() {
    [ -n "$mtp_responder_pid" ] && kill -0 "$mtp_responder_pid" 2> /dev/null
}

# The player's sysfs path on the bus, or nothing while it is not there.
find_mtp_device() {
    local device
    for device in /sys/bus/usb/devices/*; do
        if [ "$(cat "$device/idVendor" 2> /dev/null)" = "$mtp_vendor" ] &&
            [ "$(cat "$device/idProduct" 2> /dev/null)" = "$mtp_product" ]; then
            realpath "$device"
            return
        fi
    done
}

# True once the player is on the bus and udev has marked it an MTP device (69-libmtp.rules ran mtp-probe).
mtp_player_seen() {
    local device
    device=$(find_mtp_device)
    [ -n "$device" ] && udevadm info --query=property --path="$device" 2> /dev/null | grep -qx ID_MTP_DEVICE=1
}

mtp_player_gone() {
    [ -z "$(find_mtp_device)" ]
}

# Waits until udev has the player as an MTP device, then sets mtp_sysfs, mtp_node and mtp_player_id.
wait_mtp_player() {
    if ! retry_for 30 mtp_player_seen; then
        local device
        device=$(find_mtp_device)
        if [ -z "$device" ]; then
            echo "mtp_responder.sh: the gadget never reached the bus; umtprd's log:" >&2
            cat "$mtp_root/umtprd.log" >&2
        else
            echo "mtp_responder.sh: udev did not take $device for an MTP device; it says:" >&2
            udevadm info --query=property --path="$device" >&2
        fi
        return 1
    fi
    mtp_sysfs=$(find_mtp_device)
    local -A property
    local key value
    while IFS='=' read -r key value; do
        property[$key]=$value
    done < <(udevadm info --query=property --path="$mtp_sysfs")
    mtp_node=${property[DEVNAME]}
    mtp_player_id="mtp:${property[ID_VENDOR_ID]}:${property[ID_MODEL_ID]}:${property[ID_SERIAL_SHORT]}"
    export mtp_sysfs mtp_node mtp_player_id
}

# Binds the gadget to the guest's one device controller: the player is plugged in.
bind_mtp_gadget() {
    local udc
    udc=$(ls /sys/class/udc)
    echo "$udc" > "$mtp_gadget/UDC"
}

start_mtp_player() {
    local internal_mib=${1:-48} fill=${2:-}
    local module
    for module in configfs dummy_hcd libcomposite usb_f_fs; do
        modprobe "$module"
    done
    mountpoint -q /sys/kernel/config || mount -t configfs configfs /sys/kernel/config
    mkdir -p "$mtp_root" "$mtp_ffs"
    fill_mtp_storages "$internal_mib"
    [ -z "$fill" ] || "$fill"
    write_umtprd_conf
    make_mtp_gadget
    mount -t functionfs mtp "$mtp_ffs"
    start_mtp_responder
    bind_mtp_gadget
    wait_mtp_player
    echo "guest: MTP player $mtp_player_id at $mtp_sysfs ($mtp_node) after $(cut -d' ' -f1 /proc/uptime) s"
}

stop_mtp_responder() {
    if mtp_responder_running; then
        kill -KILL "$mtp_responder_pid"
        wait "$mtp_responder_pid" 2> /dev/null || true
    fi
    mtp_responder_pid=
}

unplug_mtp_player() {
    if [ -n "$(cat "$mtp_gadget/UDC")" ]; then
        echo > "$mtp_gadget/UDC"
    fi
    retry_for 15 mtp_player_gone
    udevadm settle --timeout=15
}

replug_mtp_player() {
    # umtprd is started afresh: after the gadget was unbound under it, it may not describe itself again.
    stop_mtp_responder
    if [ -n "$(cat "$mtp_gadget/UDC")" ]; then
        echo > "$mtp_gadget/UDC"
    fi
    start_mtp_responder
    bind_mtp_gadget
    wait_mtp_player
}
