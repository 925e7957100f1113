#!/bin/sh
# Benchmarks in the guest: an exchange through hidraw against the virtual
# board, beside one on the in-process simulated bus.
cd /tmp
vboard >/dev/null &
i=0
while [ ! -e /sys/class/hidraw/hidraw0 ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done
hidraw_bench --benchmark_color=false
device_bench --benchmark_filter=Exchange --benchmark_color=false
kill $!
