#!/bin/sh
# The Linux builds of the programs against virtual boards on uhid, through
# the kernel's hidraw.
export LC_ALL=C.UTF-8
cd /tmp

VBOARD=vboard
. /bin/checks.sh

# No board at all.
printf 'Zentrelが見つかりません\n' >expected
sampler >out; check sampler-no-board 1 $?
sampler /c5 >out; check sampler-no-board-c5 1 $?

# Five readings with known input values.
board vb.log --j1 0x12 --j2 0x34
printf 'Zentrelの接続数 1個 5回,10ms\n0,12,34\n1,12,34\n2,12,34\n3,12,34\n4,12,34\n' >expected
sampler /c5 /t10 >out; check sampler-five-readings 0 $?
stop_boards

# Two boards: both counted, the first read.
board vb1.log --j1 0x01
board vb2.log --j1 0x02 --product 0x0121
printf 'Zentrelの接続数 2個 2回,0ms\n0,01,ff\n1,01,ff\n' >expected
sampler /c2 >out; check sampler-two-boards 0 $?
stop_boards

# Reports with a wrong echo byte before each answer are skipped.
board vb.log --j2 0x5a --wrong-echo 3
printf 'Zentrelの接続数 1個 3回,0ms\n0,ff,5a\n1,ff,5a\n2,ff,5a\n' >expected
sampler /c3 >out; check sampler-wrong-echo 0 $?
stop_boards

# The configuration bytes round-trip through the board.
board vb.log
printf 'read 1 00 00 00\nwrite 1\nexchange after write 0\nread 1 12 34 56\n' >expected
config_check >out; check config-round-trip 0 $?
stop_boards

# The pulser: J2 bit 0 goes low after five exchanges.
board vb.log --j2-low-after-exchanges 5
printf '\rZentrelの接続数 1個\n\rff\rff\rff\rff\rff\rfe' >expected
pulser >out; check pulser-watch-and-pulse 0 $?
stop_boards
pulse_check pulser-pulse-reaches-the-board vb.log

# Unplugged during the watch and plugged back in: the pulser reconnects.
board vb.log --unplug-after 3 --replug-after-ms 1500 --j2-low-after-exchanges 6
printf '\rZentrelの接続数 1個\n\rff\rff\rff\rZentrel接続待機中\rZentrelの接続数 1個\n\rff\rff\rff\rfe' >expected
pulser >out; check pulser-reconnects-after-unplug 0 $?
stop_boards
pulse_check pulser-pulse-after-reconnect vb.log

# Without a board the pulser keeps waiting: three waiting lines in the
# 2.5 s after its first output, no newline, and it is still running.
pulser >out &
waited=0
while [ ! -s out ] && [ $waited -lt 200 ]; do sleep 0.05; waited=$((waited + 1)); done
sleep 2.5
if kill -0 $! 2>/dev/null && [ "$(grep -o '接続待機中' out | wc -l)" -ge 3 ] && ! od -An -tx1 out | grep -q ' 0a'; then
    echo "PASS pulser-waits-without-board"
else
    echo "FAIL pulser-waits-without-board"; od -c out | head
fi
kill $! 2>/dev/null; wait 2>/dev/null
