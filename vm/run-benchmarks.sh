#!/bin/sh
# run-benchmarks.sh WORK_DIR HIDRAW_BENCH DEVICE_BENCH VBOARD
# Runs the exchange benchmarks in the QEMU guest and prints their results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shift
mkdir -p "$work"
kernel="$work/kernel-cloud-amd64"
"$here/fetch-kernel.sh" cloud-amd64 "$kernel"
"$here/make-initramfs.sh" "$kernel" "$work/benchmarks.cpio.gz" "$here/guest/init" "$@" "$here/guest/benchmarks.sh"
"$here/boot.sh" "$kernel" "$work/benchmarks.cpio.gz" benchmarks "$work/benchmarks.log"
tr -d '\r' <"$work/benchmarks.log" | sed -n '/GUEST-READY/,/GUEST-DONE/p'
