#!/bin/sh
# In the initramfs: the host's root, shared read-only over 9p, becomes the
# lower layer of an overlay with a tmpfs upper layer, so that the chroot into
# it sees every file of the host (the build tree and the Wine prefix made on
# the host included, wherever they are) and Wine can write anywhere.
. /bin/wine-guest-env.sh
mkdir -p /lower /layers /newroot
mount -t 9p -o trans=virtio,version=9p2000.L,ro,cache=loose,msize=512000 hostroot /lower
mount -t tmpfs tmpfs /layers
mkdir -p /layers/upper /layers/work
mount -t overlay overlay -o lowerdir=/lower,upperdir=/layers/upper,workdir=/layers/work /newroot
mount -t proc proc /newroot/proc
mount -t sysfs sysfs /newroot/sys
mount -t devtmpfs devtmpfs /newroot/dev
mkdir -p /newroot/dev/pts /newroot/dev/shm
mount -t devpts devpts /newroot/dev/pts
mount -t tmpfs tmpfs /newroot/dev/shm
# The links a normal boot makes: bash's process substitution needs /dev/fd.
ln -sf /proc/self/fd /newroot/dev/fd
ln -sf /proc/self/fd/0 /newroot/dev/stdin
ln -sf /proc/self/fd/1 /newroot/dev/stdout
ln -sf /proc/self/fd/2 /newroot/dev/stderr
mount -t tmpfs tmpfs /newroot/run  # no state of the host's services
chroot /newroot /bin/bash "$tests" "$prefix" "$sampler" "$pulser" "$vboard"
