#!/bin/sh
# boot.sh KERNEL_DIR INITRAMFS LOG [QEMU OPTIONS...]
# Boots the kernel with the initramfs under QEMU (software emulation) and
# writes the serial console to LOG. The guest powers itself off; QEMU does
# not pass its exit status out, so results are read from LOG.
set -eu
kernel=$1 initramfs=$2 log=$3
shift 3
timeout 600 qemu-system-x86_64 -accel tcg -m 1024 -smp 2 -nographic -no-reboot -nic none \
    -kernel "$kernel/vmlinuz" -initrd "$initramfs" \
    -append "console=ttyS0 panic=-1 quiet loglevel=3" "$@" </dev/null >"$log" 2>&1 || true
