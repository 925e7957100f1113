#!/bin/sh
# expect-cases.sh LOG SCRIPT
# Passes when the guest finished and every case that SCRIPT names (by its
# check or echo "PASS ...") printed PASS in LOG, and none printed FAIL.
log=$1 script=$2
status=0
grep -q '^GUEST-DONE' "$log" || { echo "the guest did not finish"; tail -n 30 "$log"; status=1; }
cases=$(grep -v '^ *#' "$script" | grep -o -E '(check|pulse_check|PASS) [a-z0-9-]+' | awk '{print $2}')
for name in $cases; do
    grep -q -E "^PASS $name( |\$)" "$log" || { echo "case $name did not pass"; status=1; }
done
if grep -q '^FAIL ' "$log"; then status=1; fi
echo "$(grep -c '^PASS ' "$log") of $(echo "$cases" | wc -w) cases passed"
exit $status
