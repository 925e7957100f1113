# Helpers of the guest's test scripts (busybox sh and bash alike), sourced
# by them. VBOARD names the virtual board's program. Every case prints
# "PASS name ..." or "FAIL name ..." and what differed.

nodes() { ls /sys/class/hidraw 2>/dev/null | wc -l; }

wait_nodes() {  # wait_nodes N: until exactly N hidraw nodes exist (10 s at most)
    waited=0
    while [ "$(nodes)" -ne "$1" ] && [ $waited -lt 200 ]; do sleep 0.05; waited=$((waited + 1)); done
}

boards=""
board() {  # board LOG OPTIONS...: starts a virtual board and waits for its node
    log=$1
    shift
    before=$(nodes)
    "$VBOARD" "$@" >"$log" &
    boards="$boards $!"
    wait_nodes $((before + 1))
}

stop_boards() {
    kill $boards 2>/dev/null
    wait $boards 2>/dev/null
    boards=""
    wait_nodes 0
}

# check NAME EXPECTED-CODE CODE: compares ./out with ./expected.
check() {
    if cmp -s expected out && [ "$2" = "$3" ]; then
        echo "PASS $1 (exit code $3)"
    else
        echo "FAIL $1: exit code $3, expected $2"
        echo "-- output:"; od -An -tx1 out | head -n 20
        echo "-- expected:"; od -An -tx1 expected | head -n 20
    fi
}

# pulse_check NAME LOG: the board saw J1 go to 01 and back to 00 4.9 to 5.6 s later.
pulse_check() {
    on=$(sed -n 's/^j1 01 //p' "$2" | head -n 1)
    off=$(sed -n 's/^j1 00 //p' "$2" | tail -n 1)
    if [ -n "$on" ] && [ -n "$off" ] && [ $((off - on)) -ge 4900 ] && [ $((off - on)) -le 5600 ]; then
        echo "PASS $1 (J1 01 for $((off - on)) ms)"
    else
        echo "FAIL $1: J1 log:"; cat "$2"
    fi
}
