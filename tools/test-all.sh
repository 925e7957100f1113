#!/bin/sh
# Builds and runs every test: the host build with GCC (under AddressSanitizer
# and UBSan, with the tests in a QEMU guest on the kernel's HID stack), with
# Clang (sanitizers, fuzz target), the 64-bit Windows build under Wine, the
# 32-bit Windows build (compiled only: there is no 32-bit Wine here) and the
# optimised build with the benchmarks. Then the packages are made.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
jobs=2
for preset in host host-clang mingw-x86_64; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
for preset in mingw-i686 release; do
    echo "== $preset (build only)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
echo "== packages"
deb=$(cd build/release && cpack >/dev/null && dpkg-deb -c ioboard-*-Linux.deb)
zip=$(cd build/mingw-x86_64 && cpack >/dev/null && cmake -E tar tf ioboard-*-windows-x86_64.zip)
echo "$deb"; echo "$zip"
[ "$(echo "$deb" | grep -c -E 'usr/bin/(sampler|pulser)$|udev/rules.d/70-ioboard.rules$')" = 3 ]
[ "$(echo "$zip" | grep -c -E 'bin/(sampler|pulser).exe$')" = 2 ]
echo "all tests passed"
