#!/bin/sh
# fetch-kernel.sh FLAVOUR DIR
# Unpacks (without installing) the current Debian kernel package of FLAVOUR
# ("cloud-amd64" or "amd64") into DIR, once: DIR/vmlinuz and DIR/modules/.
set -eu
flavour=$1 dir=$2
[ -f "$dir/vmlinuz" ] && exit 0
# The metapackage names the current versioned package.
current() { apt-cache depends "linux-image-$flavour" 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1; }
package=$(current)
if [ -z "$package" ]; then
    apt-get update -qq
    package=$(current)
fi
[ -n "$package" ] || { echo "fetch-kernel: no package behind linux-image-$flavour (apt-get update?)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download "$package" 2>/dev/null)
dpkg-deb -x "$work"/*.deb "$work/root"
mkdir -p "$dir/modules"
cp "$work"/root/boot/vmlinuz-* "$dir/vmlinuz.part"
cp -r "$work"/root/lib/modules/*/kernel "$dir/modules/"
mv "$dir/vmlinuz.part" "$dir/vmlinuz"
echo "$package" > "$dir/package"
