#!/bin/bash
# The Qt window's processor time while it follows a folder of missions and a
# log beside them is appended 200 times a second (each append opens, writes
# and closes it) for 10 s; and for 10 s with nothing written. A measurement,
# never a test.
#   ui/qt/bench/follow_log_cpu.sh VOSTREL FOLDER
# FOLDER holds the missions (say 30,000 hard links to one mission DLL); the
# log is written there and removed afterwards. Processor time is the
# window's own (user + system, /proc/PID/stat), in ticks of 1/100 s.
set -eu
program=$1
folder=$2
QT_QPA_PLATFORM=offscreen "$program" "$folder" >/dev/null 2>&1 &
window=$!
trap 'kill $window 2>/dev/null; rm -f "$folder/log.txt"' EXIT
sleep 15  # the scan of 30,000 missions has ended well before
ticks() { awk '{print $14 + $15}' "/proc/$window/stat"; }
before=$(ticks); sleep 10; after=$(ticks)
echo "nothing written: $((after - before)) ticks in 10 s"
before=$(ticks); start=$(date +%s.%N)
python3 -c '
import sys, time
start = time.monotonic()
for i in range(2000):
    with open(sys.argv[1] + "/log.txt", "a") as log: log.write("line %d\n" % i)
    time.sleep(max(0, start + (i + 1) / 200 - time.monotonic()))
' "$folder"
after=$(ticks); end=$(date +%s.%N)
echo "log appended 2,000 times: $((after - before)) ticks in $(echo "$end - $start" | bc) s"
