#!/bin/sh
# expect-waiting.sh HEX TIMES COMMAND...
# Starts COMMAND, a program that should keep waiting, and checks that within
# about 3.5 s of its first output it has written the bytes HEX at least
# TIMES times, no newline, and is still running. Then it ends the program.
pattern=$1 times=$2
shift 2
out=$(mktemp)
"$@" >"$out" &
pid=$!
count() { od -An -v -tx1 "$out" | tr -d ' \n' | grep -o "$pattern" | wc -l; }
# Starting Wine may take a while; the clock starts with the first output.
waited=0
while [ ! -s "$out" ] && [ $waited -lt 600 ] && kill -0 $pid 2>/dev/null; do
    sleep 0.1; waited=$((waited + 1))
done
sleep 3.5
seen=$(count)
running=no
kill -0 $pid 2>/dev/null && running=yes
kill $pid 2>/dev/null
wait $pid 2>/dev/null
ok=0
[ "$seen" -ge "$times" ] || { echo "waiting line seen $seen times, expected at least $times"; ok=1; }
[ "$running" = yes ] || { echo "the program ended by itself"; ok=1; }
if od -An -v -tx1 "$out" | grep -q ' 0a'; then echo "a newline was written"; ok=1; fi
[ $ok = 0 ] || od -An -v -tx1 "$out"
rm -f "$out"
exit $ok
