#!/bin/sh
# prepare-wine-prefix.sh DIR
# Makes a Wine prefix on the host, once, for the guest to use through its
# overlay of the host's root: creating one in the emulated guest takes 40-50 s.
# Wine 8's winebus skips hidraw once its SDL bus is up, so SDL is turned off.
set -eu
dir=$1
[ -f "$dir/.ready" ] && exit 0
rm -rf "$dir"
export WINEPREFIX="$dir" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
wineboot -i >/dev/null 2>&1
wine reg add 'HKLM\System\CurrentControlSet\Services\winebus' /v "Enable SDL" /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$dir/.ready"
