#!/bin/sh
# boot.sh KERNEL_DIR INITRAMFS SCRIPT LOG [QEMU OPTIONS...]
# Boots the kernel with the initramfs under QEMU (software emulation), has
# the guest run /bin/SCRIPT.sh and writes the serial console to LOG. The guest powers itself off; QEMU does
# not pass its exit status out, so results are read from LOG. MEMORY sets
# the guest's memory in MiB (default 1024).
set -eu
kernel=$1 initramfs=$2 script=$3 log=$4
shift 4
timeout 600 qemu-system-x86_64 -accel tcg -m "${MEMORY:-1024}" -smp 2 -nographic -no-reboot -nic none \
    -kernel "$kernel/vmlinuz" -initrd "$initramfs" \
    -append "console=ttyS0 panic=-1 quiet loglevel=3 guest=$script" "$@" </dev/null >"$log" 2>&1 || true
