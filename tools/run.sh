#!/usr/bin/env bash
# The launcher at work on a bundled sample, under Wine: a registry value
# names the directory of a sample program; Vantrelc finds it there, starts
# it with numbered arguments, waits for it and hands back its exit code.
# Then the starter, zorv, starts its Java viewer from its own directory.
# The sample program and the viewer are the test recorder: it writes down
# how it was started and exits with the code it is told.  Last, a host
# program loads zorvrni.dll with the stand-in Java VM, calls every export
# group as the VM would and prints what the Java side receives; it opens
# the dialogs and menus on the bench's display, answers them as a user
# would and saves a screenshot of each under build/<target>/screenshots/.
# It shows the shipping 32-bit build wherever this machine runs 32-bit
# code, and the 64-bit build elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
if tools/x86-runs.sh; then
    target=x86
    echo "Showing the x86 build, the one that ships."
else
    target=x64
    echo "Showing the x64 build: this machine cannot run the 32-bit one."
fi
cmake --preset $target >/dev/null
cmake --build --preset $target -j"$(nproc)" >/dev/null

build=$PWD/build/$target
bench=$build/bench
sample=$build/sample
tests/bench/start.sh "$bench" $target >/dev/null
export WINEPREFIX=$bench/prefix WINEDEBUG=-all DISPLAY=":$(cat "$bench/display")"
export WINELOADER=$(cat "$bench/loader")
wine() { "$WINELOADER" "$@"; }
trap 'wine reg delete "HKCU\Software\VantrelSample" /f >/dev/null 2>&1; tests/bench/stop.sh "$bench"' EXIT

rm -rf "$sample" && mkdir -p "$sample/App 2"
cp "$build/tests/recorder.exe" "$sample/App 2/sample.exe"
winpath() { echo "Z:$1" | tr / '\\'; }
key='HKCU\Software\VantrelSample\App2\Install'
wine reg add "$key" /v Path /d "$(winpath "$sample/App 2")" /f >/dev/null

show_record() {
    [ -f "$sample/record.bin" ] || { echo "Nothing was started."; return; }
    echo "Started as:"
    tr '\0' '\n' <"$sample/record.bin" | {
        read -r line; echo "  command line: $line"
        read -r line; echo "  directory:    $line"
        n=0; while read -r line; do echo "  argv[$n]:      $line"; n=$((n + 1)); done
    }
}

# Tries the key App\Install (missing), then App2\Install, which names the
# directory; arguments go to the sample in the order of their numbers.
command=(Vantrelc -drk 2 -drs 'Software\VantrelSample\App' -drsv ,2 -drss Install -drv Path
         -er sample.exe -2 'second "quoted" argument' -1 'C:\first dir\' -w)
echo "Registry: $key  Path = $(winpath "$sample/App 2")"
printf 'Run:     '
for word in "${command[@]}"; do
    case $word in *[\ \"]*) printf " '%s'" "$word" ;; *) printf ' %s' "$word" ;; esac
done
echo
status=0
ZORV_RECORD="$(winpath "$sample/record.bin")" ZORV_RECORD_EXIT=7 \
    wine "$build/bin/Vantrelc.exe" "${command[@]:1}" || status=$?
echo "Exit code: $status (the sample's own)"
show_record

# The starter: from its own directory it starts the Java viewer, here the
# same recorder standing in as wjview.exe, and ends without waiting.
mkdir -p "$sample/client"
cp "$build/bin/zorv.exe" "$sample/client/zorv.exe"
cp "$build/tests/recorder.exe" "$sample/client/wjview.exe"
rm -f "$sample/record.bin"
echo
echo "Run:      zorv.exe (from $(winpath "$PWD"))"
status=0
ZORV_RECORD="$(winpath "$sample/record.bin")" wine "$sample/client/zorv.exe" || status=$?
echo "Exit code: $status"
for _ in $(seq 50); do [ -s "$sample/record.bin" ] && break; sleep 0.1; done
show_record

# The native library: what its Java caller receives from every export group.
shots=$build/screenshots
rm -rf "$shots" && mkdir -p "$shots"
echo
echo "Run:      zorvni_host.exe (zorvrni.dll called as the Java VM calls it)"
status=0
# Our Mapi32.dll stand-in beside the host answers as the mail client.  Wine
# notes on stderr each time a volume's label cannot be read; that says
# nothing about the library.
ZORV_BIN="$(winpath "$build/bin")" WINEDLLOVERRIDES=mapi32=n \
    wine "$build/tests/zorvni_host.exe" "$(winpath "$shots")" \
    2> >(grep -v 'FS volume label and serial are not available' >&2) || status=$?
echo
echo "Exit code: $status"
echo "Screenshots in $shots:"
ls "$shots" | sed 's/^/  /'
