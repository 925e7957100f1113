#!/bin/sh
# expect-output.sh HEX CODE COMMAND...
# Runs COMMAND and checks that its standard output is exactly the bytes
# HEX (lower-case hex, no separators) and that it exits with CODE.
expected=$1 code=$2
shift 2
out=$(mktemp)
"$@" >"$out"
status=$?
actual=$(od -An -v -tx1 "$out" | tr -d ' \n')
rm -f "$out"
ok=0
if [ "$actual" != "$expected" ]; then
    echo "output:   $actual"
    echo "expected: $expected"
    ok=1
fi
if [ "$status" != "$code" ]; then
    echo "exit code $status, expected $code"
    ok=1
fi
exit $ok
