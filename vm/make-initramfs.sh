#!/bin/sh
# make-initramfs.sh KERNEL_DIR OUT INIT FILE...
# Builds a busybox initramfs: INIT becomes /init, the kernel modules named in
# MODULES (default: the HID stack) come from KERNEL_DIR and are listed in
# load order in /modules/order, and each FILE is copied to /bin with the
# shared libraries it needs (and the C.UTF-8 locale, for the programs' wide
# output).
set -eu
kernel=$1 out=$2 init=$3
shift 3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/bin" "$root/modules" "$root/proc" "$root/sys" "$root/dev" "$root/tmp" "$root/usr/lib/locale"
cp /bin/busybox "$root/bin/busybox"
for applet in $("$root/bin/busybox" --list); do
    [ -e "$root/bin/$applet" ] || ln -s busybox "$root/bin/$applet"
done
for module in ${MODULES:-hid uhid hid-generic}; do
    file=$(find "$kernel/modules/kernel" -name "$module.ko" | head -n 1)
    [ -n "$file" ] || { echo "make-initramfs: no module $module" >&2; exit 1; }
    cp "$file" "$root/modules/"
    echo "$module" >>"$root/modules/order"
done
cp "$init" "$root/init"
chmod +x "$root/init"
copy_with_libs() {
    cp "$1" "$root/bin/"
    # Libraries keep their paths, the loader included.
    ldd "$1" 2>/dev/null | grep -o '/[^ ]*' | while read -r lib; do
        mkdir -p "$root$(dirname "$lib")"
        cp -L "$lib" "$root$lib"
    done
}
for file in "$@"; do
    case "$file" in
        *.sh) cp "$file" "$root/bin/" ;;
        *) copy_with_libs "$file" ;;
    esac
done
cp -r /usr/lib/locale/C.utf8 "$root/usr/lib/locale/"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$out"
