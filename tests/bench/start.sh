#!/bin/sh
# Starts the test bench for one build tree: a private Wine prefix (created
# once and reused), an Xvfb display and a persistent wineserver.  Both
# targets get a 64-bit prefix; with wine32 installed it runs 32-bit
# programs too (WoW64).  The loader for the target's programs is written
# to BENCH_DIR/loader for wine-run.sh.
#   start.sh BENCH_DIR x64|x86
set -eu
bench=$1
target=${2:-x64}
. "$(dirname "$0")/loader.sh"
mkdir -p "$bench"
export WINEPREFIX="$bench/prefix" WINEDEBUG=-all WINEARCH=win64
wine64=$(bench_loader x64)
loader=$(bench_loader "$target") || { echo "no Wine loader for $target" >&2; exit 1; }
echo "$loader" >"$bench/loader"
export WINELOADER=$wine64
# Keep wineboot from offering Mono and Gecko, and Wine away from ~/.wine.
export WINEDLLOVERRIDES="mscoree,mshtml="

"$(dirname "$0")/stop.sh" "$bench" >/dev/null 2>&1 || true

# -displayfd makes Xvfb choose a free display and tell us which.  Two
# servers starting at once can race for the same display; the loser exits,
# and we try again.
start_display() {
    rm -f "$bench/display"
    # Nothing started here may hold CTest's output pipe open.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$bench/display" \
        </dev/null >"$bench/xvfb.log" 2>&1 &
    echo $! >"$bench/xvfb.pid"
    for _ in $(seq 100); do
        [ -s "$bench/display" ] && return 0
        kill -0 "$(cat "$bench/xvfb.pid")" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
for attempt in 1 2 3; do
    start_display && break
    [ $attempt -eq 3 ] && { echo "Xvfb did not start:" >&2; cat "$bench/xvfb.log" >&2; exit 1; }
    sleep 1
done
export DISPLAY=":$(cat "$bench/display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine64" wineboot -i </dev/null >"$bench/wineboot.log" 2>&1 ||
        { echo "wineboot failed:" >&2; cat "$bench/wineboot.log" >&2; exit 1; }
    # Without a window manager, unmanaged windows close about 2 s faster.
    "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        </dev/null >>"$bench/wineboot.log" 2>&1
    # Let the server wineboot started go, so that ours can be persistent.
    wineserver -w
fi
wineserver -p </dev/null >/dev/null 2>&1
# A first program of the target's own kind loads its side of the prefix.
WINELOADER=$loader "$loader" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
echo "bench ready on $DISPLAY"
