#!/bin/sh
# In the initramfs: the host's root, shared read-only over 9p, becomes the
# root of a chroot with tmpfs where Wine writes, and the Wine prefix made on
# the host as the lower layer of an overlay. Then the tests run in it.
. /bin/wine-guest-env.sh
mkdir -p /host
mount -t 9p -o trans=virtio,version=9p2000.L,ro,cache=loose,msize=512000 hostroot /host
for dir in tmp root run var/tmp; do mount -t tmpfs tmpfs "/host/$dir"; done
mount -t proc proc /host/proc
mount -t sysfs sysfs /host/sys
mount -t devtmpfs devtmpfs /host/dev
mkdir -p /host/dev/pts /host/dev/shm
mount -t devpts devpts /host/dev/pts
mount -t tmpfs tmpfs /host/dev/shm
mkdir -p /host/tmp/prefix-upper /host/tmp/prefix-work /host/tmp/wineprefix
mount -t overlay overlay \
    -o "lowerdir=/host$prefix,upperdir=/host/tmp/prefix-upper,workdir=/host/tmp/prefix-work" /host/tmp/wineprefix
chroot /host /bin/bash "$tests" "$sampler" "$pulser" "$vboard"
