#!/bin/sh
# Installs what building and testing need on Debian: compilers, CMake,
# GoogleTest, Google Benchmark, MinGW-w64 for both Windows widths, Wine, and
# QEMU with busybox and udev for the tests on a real kernel HID stack.
# Installs only what is missing, so it can run again at no cost.
set -eu
packages="cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev qemu-system-x86 busybox-static cpio udev
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "installing:$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
