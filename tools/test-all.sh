#!/bin/sh
# Builds and runs every test: the host build with GCC and with Clang (both
# under AddressSanitizer and UBSan, Clang with the fuzz target), the 64-bit
# Windows build under Wine, the 32-bit Windows build (compiled only: there is
# no 32-bit Wine here) and the optimised build with the benchmarks.
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
echo "all tests passed"
