#!/bin/sh
# run-hidraw-tests.sh WORK_DIR SAMPLER PULSER VBOARD CONFIG_CHECK
# Runs the guest's test cases on the Linux builds of the programs and the
# virtual board, and passes when every case passed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
"$here/run-guest.sh" "$1" hidraw-tests "$2" "$3" "$4" "$5"
"$here/expect-cases.sh" "$1/hidraw-tests.txt" "$here/guest/hidraw-tests.sh"
