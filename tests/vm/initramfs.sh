#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# initramfs.sh OUT: builds the guest's initramfs, busybox and the kernel's virtio, 9p and overlay modules, into OUT
# (gzipped cpio). It is kept while the kernel and the files it is made of stay the same.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
kernel=$("$here/kernel_version.sh")
key="$kernel $(cat "$here/initramfs.sh" "$here/initramfs_init.sh" | sha256sum | cut -d' ' -f1)"
if [ -f "$out" ] && [ "$(cat "$out.key" 2>/dev/null)" = "$key" ]; then
    exit 0
fi

mkdir -p "$(dirname "$out")"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{bin,dev,proc,sys,newroot,lib/modules}
cp /usr/bin/busybox "$tree/bin/"
for applet in sh mount insmod mkdir switch_root; do
    ln -s busybox "$tree/bin/$applet"
done
# modprobe lists each module after those it needs; busybox's insmod loads them in that order.
modprobe -S "$kernel" --show-depends -a virtio_pci 9pnet_virtio 9p overlay | awk '$1 == "insmod" { print $2 }' |
    awk '!seen[$0]++' | while read -r module; do
        cp "$module" "$tree/lib/modules/"
        basename "$module" >> "$tree/lib/modules/load-order"
    done
cp "$here/initramfs_init.sh" "$tree/init"
(cd "$tree" && find . | cpio -o -H newc --quiet | gzip -9) > "$out.new"
mv "$out.new" "$out"
echo "$key" > "$out.key"
echo "initramfs for $kernel: $out ($(du -h "$out" | cut -f1))"
