#!/bin/sh
# CTest's emulator: runs one Windows test program on the bench.
#   wine-run.sh BENCH_DIR PROGRAM [ARGS...]
bench=$1; shift
export WINEPREFIX="$bench/prefix" WINEDEBUG=-all
if [ ! -s "$bench/display" ]; then
    echo "the test bench is not running; run the bench_start test first" >&2
    exit 1
fi
export DISPLAY=":$(cat "$bench/display")"
WINELOADER=$(cat "$bench/loader")
export WINELOADER
exec "$WINELOADER" "$@"
