#!/bin/sh
# run-wine-tests.sh WORK_DIR SAMPLER_EXE PULSER_EXE VBOARD
# Boots a Debian kernel under QEMU with the host's root shared read-only over
# 9p, and runs the Windows programs under the host's Wine in a chroot of it
# (writable through an overlay), against virtual boards on the guest's uhid.
# Passes when every case passed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mkdir -p "$1" && cd "$1" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
sampler=$(absolute "$2") pulser=$(absolute "$3") vboard=$(absolute "$4")
[ -x "$vboard" ] || { echo "no virtual board at $vboard: build the host preset first"; exit 1; }

# The generic kernel: the cloud one has no 9p.
kernel="$work/kernel-amd64"
"$here/fetch-kernel.sh" amd64 "$kernel"
"$here/prepare-wine-prefix.sh" "$work/wineprefix"
cat >"$work/wine-guest-env.sh" <<ENV
prefix='$work/wineprefix'
tests='$here/guest/wine-tests.sh'
sampler='$sampler'
pulser='$pulser'
vboard='$vboard'
ENV
# virtio and 9p for the shared root, overlay to write on it, then the HID stack.
MODULES="virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci netfs fscache 9pnet 9pnet_virtio 9p
overlay hid uhid hid-generic" \
    "$here/make-initramfs.sh" "$kernel" "$work/wine-tests.cpio.gz" "$here/guest/init" \
    "$here/guest/wine-guest.sh" "$work/wine-guest-env.sh"
start=$(date +%s)
# Without smap=off every Wine process dies in the guest (user-mode iretq under TCG with SMAP).
MEMORY=1536 "$here/boot.sh" "$kernel" "$work/wine-tests.cpio.gz" wine-guest "$work/wine-tests.log" \
    -cpu max,smap=off -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap
tr -d '\r' <"$work/wine-tests.log" >"$work/wine-tests.txt"
sed -n '/GUEST-READY/,/GUEST-DONE/p' "$work/wine-tests.txt"
echo "boot and tests took $(( $(date +%s) - start )) s"
"$here/expect-cases.sh" "$work/wine-tests.txt" "$here/guest/wine-tests.sh"
