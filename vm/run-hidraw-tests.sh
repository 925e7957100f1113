#!/bin/sh
# run-hidraw-tests.sh WORK_DIR SAMPLER PULSER VBOARD CONFIG_CHECK
# Boots a Debian kernel under QEMU with the Linux builds of the programs and
# the virtual board, runs the guest's test cases, and passes when every case
# passed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shift
mkdir -p "$work"
kernel="$work/kernel-cloud-amd64"
"$here/fetch-kernel.sh" cloud-amd64 "$kernel"
"$here/make-initramfs.sh" "$kernel" "$work/hidraw-tests.cpio.gz" "$here/guest/init" "$@" "$here/guest/checks.sh" "$here/guest/hidraw-tests.sh"
start=$(date +%s)
"$here/boot.sh" "$kernel" "$work/hidraw-tests.cpio.gz" hidraw-tests "$work/hidraw-tests.log"
tr -d '\r' <"$work/hidraw-tests.log" >"$work/hidraw-tests.txt"
sed -n '/GUEST-READY/,/GUEST-DONE/p' "$work/hidraw-tests.txt"
echo "boot and tests took $(( $(date +%s) - start )) s"
"$here/expect-cases.sh" "$work/hidraw-tests.txt" "$here/guest/hidraw-tests.sh"
