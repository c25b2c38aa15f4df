#!/bin/sh
# Ends everything start.sh began: every Wine process of the prefix, then
# the display.
#   stop.sh BENCH_DIR
bench=$1
WINEPREFIX="$bench/prefix" wineserver -k 2>/dev/null
WINEPREFIX="$bench/prefix" wineserver -w 2>/dev/null
if [ -f "$bench/xvfb.pid" ]; then
    kill "$(cat "$bench/xvfb.pid")" 2>/dev/null
    rm -f "$bench/xvfb.pid" "$bench/display"
fi
exit 0
