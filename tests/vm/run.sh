#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# run.sh WORK GUEST_SCRIPT [ARG...]: boots Debian's kernel under QEMU (TCG) with the host's / read-only and
# WORK/share writable, and a USB player of two LUNs: LUN 0 WORK/internal.img (64 MiB FAT16, INTERNAL) and
# LUN 1 WORK/card.img (32 MiB FAT, CARD); and a second player of one memory, WORK/solo.img (16 MiB FAT, SOLO);
# all made anew with a MUSIC folder. The guest runs GUEST_SCRIPT with its arguments. Prints the guest's log and
# exits with the script's status; the images stay for the host's checks. A guest that writes a device id
# ("player" or "solo") to share/unplug has that player pulled out; share/unplugged then tells it so. One that
# writes share/replug has solo plugged in again, and share/replugged says so. One that writes share/power-cut has
# its power cut at once: QEMU killed, nothing synced or unmounted (such a guest writes its share/status first).
# VM_TIMEOUT (seconds, 600) bounds the whole run: QEMU is killed past it. VM_INTERNAL_MIB (64) sizes the
# internal memory. VM_USB_DISKS=0 boots without the players and their USB controller, for a guest that plugs in
# players of its own (an MTP gadget). VM_KEEP_IMAGES=1 boots on the three images as they are in WORK (an earlier
# run's, or the caller's own) instead of new ones. VM_READER names more images in WORK ("a.img b.img"), kept as
# they are and plugged in as the LUNs of a USB card reader (a second reader past 16), in that order; the guest
# finds their names in share/reader. udev does not take the reader for a player.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$1
script=$(realpath "$2")
shift 2
timeout=${VM_TIMEOUT:-600}
# mkfs.vfat and fsck.fat are in sbin, which a user's PATH may lack.
export PATH=$PATH:/usr/sbin:/sbin
case $here in
    *[[:space:]]*) echo "run.sh: $here goes on the guest's kernel command line and must hold no space" >&2; exit 2 ;;
esac
for path in "$here" "$script"; do
    case $path in
        /run/*) echo "run.sh: the guest cannot see $path: its /run is its own" >&2; exit 2 ;;
    esac
done

mkdir -p "$work"
"$here/initramfs.sh" "$work/initramfs.gz"
kernel=$("$here/kernel_version.sh")

share=$work/share
rm -rf "$share"
mkdir "$share"
players=()
if [ "${VM_USB_DISKS:-1}" != 0 ]; then
    if [ "${VM_KEEP_IMAGES:-0}" = 1 ]; then
        for image in internal card solo; do
            if [ ! -f "$work/$image.img" ]; then
                echo "run.sh: VM_KEEP_IMAGES=1, but $work/$image.img is missing" >&2
                exit 2
            fi
        done
    else
        export MTOOLS_SKIP_CHECK=1
        rm -f "$work/internal.img" "$work/card.img" "$work/solo.img"
        mkfs.vfat -C -n INTERNAL "$work/internal.img" $((${VM_INTERNAL_MIB:-64} * 1024)) >/dev/null
        mkfs.vfat -C -n CARD "$work/card.img" 32768 >/dev/null
        mkfs.vfat -C -n SOLO "$work/solo.img" 16384 >/dev/null
        for image in "$work/internal.img" "$work/card.img" "$work/solo.img"; do
            mmd -i "$image" ::/MUSIC
        done
    fi
    players=(
        -drive "if=none,id=internal,file=$work/internal.img,format=raw"
        -drive "if=none,id=card,file=$work/card.img,format=raw"
        -device "qemu-xhci,id=xhci"
        -device "usb-bot,id=player,bus=xhci.0"
        -device "scsi-hd,bus=player.0,scsi-id=0,lun=0,drive=internal"
        -device "scsi-hd,bus=player.0,scsi-id=0,lun=1,drive=card"
        -drive "if=none,id=solo,file=$work/solo.img,format=raw"
        -device "usb-storage,id=solo,bus=xhci.0,drive=solo"
    )
fi
read -ra reader_images <<< "${VM_READER:-}"
if [ "${#reader_images[@]}" -gt 0 ]; then
    [ "${#players[@]}" -gt 0 ] || players=(-device "qemu-xhci,id=xhci")
    for i in "${!reader_images[@]}"; do
        image=$work/${reader_images[i]}
        [ -f "$image" ] || { echo "run.sh: VM_READER names $image, which is missing" >&2; exit 2; }
        # A reader of 16 LUNs, the most a USB mass-storage device has; its serial number keeps it off the players.
        if [ $((i % 16)) -eq 0 ]; then
            players+=(-device "usb-bot,id=reader$((i / 16)),bus=xhci.0,serial=TUNEDECK-READER$((i / 16))")
        fi
        players+=(
            -drive "if=none,id=lun$i,file=$image,format=raw"
            -device "scsi-hd,bus=reader$((i / 16)).0,scsi-id=0,lun=$((i % 16)),drive=lun$i"
        )
        echo "${reader_images[i]}" >> "$share/reader"
    done
fi
printf '%s\n' "$script" "$@" > "$share/command"

# A unix socket's path is short; the work folder's may not be.
control=$(mktemp -d)
monitor=$control/monitor
qemu=
trap 'if [ -n "$qemu" ]; then kill -KILL "$qemu" 2>/dev/null || true; fi; rm -rf "$control"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# One command to QEMU's human monitor; prints its answer, which ends at the next prompt.
monitor_command() {
    perl -MIO::Socket::UNIX -e '
        alarm 10;
        my $socket = IO::Socket::UNIX->new(Peer => $ARGV[0]) or die "monitor: $!\n";
        print $socket "$ARGV[1]\n";
        my $answer = "";
        # The greeting ends at the first prompt, the answer at the second.
        while (1) {
            my $prompts = () = $answer =~ /\(qemu\) /g;
            last if $prompts >= 2 && $answer =~ /\(qemu\) $/;
            sysread($socket, $answer, 4096, length $answer) or die "monitor: no answer to $ARGV[1]\n";
        }
        print $answer;' "$monitor" "$1"
}

# Pulls a player out as a user would: the USB device goes, with all its LUNs. Without the answer in the share
# the guest's wait for it fails.
unplug() {
    touch "$control/unplug-asked"
    local device
    device=$(cat "$share/unplug")
    device=${device:-player}
    if ! monitor_command "device_del $device" >/dev/null; then
        echo "run.sh: the monitor did not take device_del" >&2
        return
    fi
    for _ in $(seq 50); do
        if ! monitor_command "info usb" | grep -q "ID: $device\$"; then
            touch "$share/unplugged"
            echo "run.sh: the player $device was pulled out"
            return
        fi
        sleep 0.2
    done
    echo "run.sh: the player $device is still plugged in 10 s after device_del" >&2
}

# Plugs the second player in again, on its image as it was left.
replug() {
    touch "$control/replug-asked"
    if monitor_command "drive_add 0 if=none,id=solo-again,file=$work/solo.img,format=raw" >/dev/null &&
        monitor_command "device_add usb-storage,id=solo,bus=xhci.0,drive=solo-again" >/dev/null; then
        touch "$share/replugged"
        echo "run.sh: the player solo was plugged in again"
    else
        echo "run.sh: the monitor did not plug solo in again" >&2
    fi
}

qemu-system-x86_64 -machine q35,accel=tcg -cpu max -smp 2 -m 1536 -nographic -no-reboot -nic none \
    -kernel "/boot/vmlinuz-$kernel" -initrd "$work/initramfs.gz" \
    -append "console=ttyS0 quiet panic=-1 vm_main=$here/guest_main.sh" \
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    -virtfs "local,path=$share,mount_tag=share,security_model=none" \
    "${players[@]}" \
    -monitor "unix:$monitor,server,nowait" \
    > "$work/console.log" 2>&1 < /dev/null &
qemu=$!

start=$SECONDS
while kill -0 "$qemu" 2>/dev/null; do
    if [ $((SECONDS - start)) -ge "$timeout" ]; then
        echo "run.sh: the guest did not finish in $timeout s; QEMU killed" >&2
        kill -KILL "$qemu"
        break
    fi
    if [ -e "$share/unplug" ] && [ ! -e "$control/unplug-asked" ]; then
        unplug
    fi
    if [ -e "$share/replug" ] && [ ! -e "$control/replug-asked" ]; then
        replug
    fi
    if [ -e "$share/power-cut" ]; then
        kill -KILL "$qemu"
        echo "run.sh: the power was cut, as the guest asked"
        break
    fi
    sleep 0.1
done
# Quietly: bash would report a killed QEMU with its whole command line.
wait "$qemu" 2>/dev/null || true
qemu=
echo "run.sh: guest ran $((SECONDS - start)) s"

cat "$share/guest.log" 2>/dev/null || echo "run.sh: the guest left no log" >&2
if [ ! -f "$share/status" ]; then
    echo "run.sh: the guest left no exit status; the end of its console ($work/console.log):" >&2
    tail -n 30 "$work/console.log" >&2
    echo >&2
    exit 1
fi
status=$(cat "$share/status")
echo "run.sh: guest script exited with $status"
exit "$status"
