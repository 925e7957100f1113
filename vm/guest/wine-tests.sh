#!/bin/bash
# wine-tests.sh PREFIX SAMPLER_EXE PULSER_EXE VBOARD
# In the guest's chroot of the host: the Windows programs under Wine, whose
# HID stack reaches the virtual boards on uhid through hidraw. Output is
# checked byte for byte in code page 932.
prefix=$1 sampler=$2 pulser=$3 vboard=$4
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" HOME=/root
cd /tmp || exit 1

# Wine learns of boards plugged in or out while it runs through udev. In a
# chroot udevadm ignores requests unless told not to.
export SYSTEMD_IGNORE_CHROOT=1
/lib/systemd/systemd-udevd --daemon
udevadm trigger --action=add
udevadm settle
wineserver -p  # one server for all the runs

# run PROGRAM ARGS...: under Wine in code page 932, as on a Japanese Windows
# console (Wine takes it from the locale's name; the shell, which has no such
# locale, keeps its own). A board that never answers would keep a program
# waiting for ever: a case that hangs fails after a minute instead.
run() { timeout 60 env LC_ALL=ja_JP.UTF-8 wine "$@"; }

cp932() { printf "$1" | iconv -f UTF-8 -t CP932; }

VBOARD=$vboard
. "$(dirname "$0")/checks.sh"

# wine_sees N TRIES: waits until Wine's enumeration, as the sampler shows
# it, holds N boards.
wine_sees() {
    local want seen
    if [ "$1" -eq 0 ]; then want=$(cp932 'Zentrelが見つかりません\r\n'); else want=$(cp932 "Zentrelの接続数 $1個 0回,0ms\r\n"); fi
    for _ in $(seq "$2"); do
        seen=$(run "$sampler" 2>/dev/null)
        [ "$seen" = "$want" ] && return 0
        sleep 0.5
    done
    echo "Wine did not come to see $1 board(s); the sampler said: $(echo "$seen" | iconv -f CP932 -t UTF-8)"
    return 1
}

# settle N: Wine sees N boards. Wine now and then misses a board unplugged
# while it runs (seen with two boards gone at once); a new Wine server
# enumerates afresh, so that one miss does not spoil the cases after it.
settle() {
    wine_sees "$1" 10 && return 0
    echo "restarting Wine"
    wineserver -k
    wineserver -w
    wineserver -p
    wine_sees "$1" 40
}

start=$(date +%s)

# No board: Wine's own virtual devices are probed and skipped.
cp932 'Zentrelが見つかりません\r\n' >expected
run "$sampler" >out; check wine-sampler-no-board 1 $?
run "$sampler" /c5 >out; check wine-sampler-no-board-c5 1 $?

# Five readings with known input values.
board vb.log --j1 0x12 --j2 0x34
settle 1
cp932 'Zentrelの接続数 1個 5回,10ms\r\n0,12,34\r\n1,12,34\r\n2,12,34\r\n3,12,34\r\n4,12,34\r\n' >expected
run "$sampler" /c5 /t10 >out; check wine-sampler-five-readings 0 $?
stop_boards
settle 0

# Two boards: both counted, one of them read, and only that one.
board vb1.log --j1 0x01
board vb2.log --j1 0x02 --product 0x0121
settle 2
run "$sampler" /c2 >out
code=$?
if [ -s vb1.log ] && [ ! -s vb2.log ]; then first=01; else first=02; fi
cp932 "Zentrelの接続数 2個 2回,0ms\r\n0,$first,ff\r\n1,$first,ff\r\n" >expected
if [ -s vb1.log ] && [ -s vb2.log ]; then echo "both boards were driven" >>out; fi
check wine-sampler-two-boards 0 $code
stop_boards
settle 0

# Reports with a wrong echo byte before each answer are skipped.
board vb.log --j2 0x5a --wrong-echo 3
settle 1
cp932 'Zentrelの接続数 1個 3回,0ms\r\n0,ff,5a\r\n1,ff,5a\r\n2,ff,5a\r\n' >expected
run "$sampler" /c3 >out; check wine-sampler-wrong-echo 0 $?
stop_boards
settle 0

# The pulser: J2 bit 0 goes low after five exchanges; no newline at the end.
board vb.log --j2-low-after-exchanges 5
settle 1
cp932 '\rZentrelの接続数 1個\r\n\rff\rff\rff\rff\rff\rfe' >expected
run "$pulser" >out; check wine-pulser-watch-and-pulse 0 $?
stop_boards
pulse_check wine-pulser-pulse-reaches-the-board vb.log
settle 0

# Unplugged during the watch and plugged back in: the pulser waits, finds the
# board again and pulses. How many waiting or count lines come in between
# depends on when Wine learns of the unplug.
board vb.log --unplug-after 3 --replug-after-ms 1500 --j2-low-after-exchanges 6
settle 1
run "$pulser" >out
code=$?
count=$(cp932 '\rZentrelの接続数 1個\r\n' | od -An -tx1 | tr -d ' \n')
waiting=$(cp932 '\rZentrel接続待機中' | od -An -tx1 | tr -d ' \n')
ff=$(printf '\rff' | od -An -tx1 | tr -d ' \n')
fe=$(printf '\rfe' | od -An -tx1 | tr -d ' \n')
actual=$(od -An -v -tx1 out | tr -d ' \n')
if [[ $actual =~ ^$count($ff){3}($waiting|$count)*$count($ff){3}$fe$ ]] && [ "$code" = 0 ]; then
    echo "PASS wine-pulser-reconnects-after-unplug (exit code $code; $(iconv -f CP932 -t UTF-8 out | grep -o '接続待機中' | wc -l) waiting lines)"
else
    echo "FAIL wine-pulser-reconnects-after-unplug: exit code $code"; od -An -tx1 out | head -n 20
fi
stop_boards
pulse_check wine-pulser-pulse-after-reconnect vb.log

echo "Wine cases took $(( $(date +%s) - start )) s"
wineserver -k
