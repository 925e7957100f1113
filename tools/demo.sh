#!/bin/sh
# Builds the programs' simulated build and runs both on the simulated bench:
# one board whose J1 reads back what it drives and whose J2 bit 0 is a push
# button pressed from 2 s to 5 s after the start.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target sampler-sim pulser-sim
echo "== sampler /c12 /t250"
status=0
build/release/sampler/sampler-sim /c12 /t250 || status=$?
echo "exit code $status"
echo "== pulser"
status=0
build/release/pulser/pulser-sim || status=$?
echo
echo "exit code $status"
