#!/bin/sh
# run-guest.sh WORK_DIR NAME FILE...
# Boots Debian's cloud kernel under QEMU with a busybox initramfs holding
# FILE... and the guest script guest/NAME.sh (with guest/checks.sh), has the
# guest run it, and prints what it printed. The log is WORK_DIR/NAME.txt.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$1 name=$2
shift 2
mkdir -p "$work"
kernel="$work/kernel-cloud-amd64"
"$here/fetch-kernel.sh" cloud-amd64 "$kernel"
"$here/make-initramfs.sh" "$kernel" "$work/$name.cpio.gz" "$here/guest/init" "$@" \
    "$here/guest/checks.sh" "$here/guest/$name.sh"
start=$(date +%s)
"$here/boot.sh" "$kernel" "$work/$name.cpio.gz" "$name" "$work/$name.log"
tr -d '\r' <"$work/$name.log" >"$work/$name.txt"
sed -n '/GUEST-READY/,/GUEST-DONE/p' "$work/$name.txt"
echo "boot and guest run took $(( $(date +%s) - start )) s"
