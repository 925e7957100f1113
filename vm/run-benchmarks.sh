#!/bin/sh
# run-benchmarks.sh WORK_DIR HIDRAW_BENCH DEVICE_BENCH VBOARD
# Runs the exchange benchmarks in the QEMU guest and prints their results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shift
exec "$here/run-guest.sh" "$work" benchmarks "$@"
