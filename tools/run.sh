#!/usr/bin/env bash
# The launcher at work on a bundled sample, under Wine: a registry value
# names the directory of a sample program; Vantrelc finds it there, starts
# it with numbered arguments, waits for it and hands back its exit code.
# The sample program is the test recorder: it writes down how it was
# started and exits with the code it is told.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 -j"$(nproc)" >/dev/null

build=$PWD/build/x64
bench=$build/bench
sample=$build/sample
tests/bench/start.sh "$bench" >/dev/null
trap 'wine reg delete "HKCU\Software\VantrelSample" /f >/dev/null 2>&1; tests/bench/stop.sh "$bench"' EXIT
export WINEPREFIX=$bench/prefix WINEDEBUG=-all DISPLAY=":$(cat "$bench/display")"

rm -rf "$sample" && mkdir -p "$sample/App 2"
cp "$build/tests/recorder.exe" "$sample/App 2/sample.exe"
winpath() { echo "Z:$1" | tr / '\\'; }
key='HKCU\Software\VantrelSample\App2\Install'
wine reg add "$key" /v Path /d "$(winpath "$sample/App 2")" /f >/dev/null

# Tries the key App\Install (missing), then App2\Install, which names the
# directory; arguments go to the sample in the order of their numbers.
command=(Vantrelc -drk 2 -drs 'Software\VantrelSample\App' -drsv ,2 -drss Install -drv Path
         -er sample.exe -2 'second "quoted" argument' -1 'C:\first dir\' -w)
echo "Registry: $key  Path = $(winpath "$sample/App 2")"
printf "Run:     "; printf " %q" "${command[@]}"; echo
status=0
ZORV_RECORD="$(winpath "$sample/record.bin")" ZORV_RECORD_EXIT=7 \
    wine "$build/bin/Vantrelc.exe" "${command[@]:1}" || status=$?
echo "Exit code: $status (the sample's own)"
if [ -f "$sample/record.bin" ]; then
    echo "The sample was started as:"
    tr '\0' '\n' <"$sample/record.bin" | {
        read -r line; echo "  command line: $line"
        read -r line; echo "  directory:    $line"
        n=0; while read -r line; do echo "  argv[$n]:      $line"; n=$((n + 1)); done
    }
fi
