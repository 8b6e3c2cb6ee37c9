#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later

# /init of the guest: the host's / becomes the guest's root, read-only, with a tmpfs /run, a /tmp that shows the
# host's (a checkout may lie there) but keeps the guest's writes in memory, and the host's writable share at
# $VM_SHARE; then the program named on the kernel command line
# ($vm_main) runs as the guest's first process. Any failure here panics the guest, which ends QEMU.
set -eu
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
while read -r module; do
    insmod "/lib/modules/$module"
done < /lib/modules/load-order
options=trans=virtio,version=9p2000.L,msize=262144
mount -t 9p -o "$options,ro,cache=loose" hostroot /newroot
mount -t tmpfs run /newroot/run
# The merged /tmp takes its mode from the upper folder: everyone's, sticky, as the host's.
mkdir -m 1777 /newroot/run/tmp-writes
mkdir /newroot/run/tmp-work
mount -t overlay tmp -o lowerdir=/newroot/tmp,upperdir=/newroot/run/tmp-writes,workdir=/newroot/run/tmp-work \
    /newroot/tmp
export VM_SHARE=/tmp/share
mkdir "/newroot$VM_SHARE"
mount -t 9p -o "$options" share "/newroot$VM_SHARE"
for fs in proc sys dev; do
    mount --move "/$fs" "/newroot/$fs"
done
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
exec switch_root /newroot "${vm_main:?the kernel command line names no vm_main}"
