#!/usr/bin/env bash
# Benchmark of the tree search, not a test: nothing in the suite or CI
# runs it.  In one Wine session it times
#     Vantrelc -d ROOT -er zz*.exe -r -w
# against
#     cmd /c dir /s /b ROOT\zz*.exe
# over trees of the given numbers of files, 50 files in each directory,
# the directories two levels deep.  The one match, zz_end.exe (the recorder
# stand-in, which ends at once), lies in the directory the search lists
# last.  Then a tree of LINKED_FILES files with three links in the first
# directory searched (to the start, to an ancestor and to a sibling) is
# searched beside the same tree without them.  dir /s follows links round
# and round, so it times the tree without them there.
#   tools/bench_tree.sh [x64|x86] [FILES ...]   (default: x64 5000 20000 80000)
#   ROUNDS (default 9) and LINKED_FILES (default 20000) in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
target=x64
case ${1:-} in x64 | x86) target=$1; shift ;; esac
[ $# -gt 0 ] || set -- 5000 20000 80000
rounds=${ROUNDS:-9}
linked=${LINKED_FILES:-20000}

cmake --preset $target >/dev/null
cmake --build --preset $target --target Vantrelc recorder tree_timer >/dev/null
build=$PWD/build/$target
bench=$build/tree-bench
tests/bench/start.sh "$bench" $target >/dev/null
trap 'tests/bench/stop.sh "$bench"' EXIT
export WINEPREFIX=$bench/prefix WINEDEBUG=-all DISPLAY=":$(cat "$bench/display")"
export WINELOADER=$(cat "$bench/loader")

winpath() { echo "Z:$1" | tr / '\\'; }

# make_tree ROOT FILES: FILES/50 directories of 50 files each, in about
# as many first-level directories as each holds second-level ones.
make_tree() {
    local root=$1 directories=$((($2 + 49) / 50)) fanout=1 i directory
    while ((fanout * fanout < directories)); do fanout=$((fanout + 1)); done
    rm -rf "$root" && mkdir -p "$root"
    for ((i = 0; i < directories; i++)); do
        directory=$root/$(printf d%03d $((i / fanout)))
        ((i % fanout == 0)) || directory=$directory/$(printf s%03d $((i % fanout)))
        mkdir "$directory"
        touch "$directory"/f{00..49}.txt
    done
    # Wine lists a directory sorted by name, so the last directory of the
    # search is the last path in sorted order.
    cp "$build/tests/recorder.exe" "$(find "$root" -type d | LC_ALL=C sort | tail -n 1)/zz_end.exe"
}

# Links in the first second-level directory, d000/s001, where the
# search comes early; the sibling is one not yet searched.
add_links() {
    local directory=$1/d000/s001
    ln -s ../.. "$directory/to_start"
    ln -s .. "$directory/to_ancestor"
    ln -s ../s002 "$directory/to_sibling"
}

launcher() { echo "\"$(winpath "$build/bin/Vantrelc.exe")\" -d \"$(winpath "$1")\" -er zz*.exe -r -w"; }
listing() { echo "cmd /c dir /s /b \"$(winpath "$1")\\zz*.exe\""; }
timer() { "$WINELOADER" "$build/tools/tree_timer.exe" "$rounds" "$@"; }

trees=$bench/trees
for files in "$@"; do
    make_tree "$trees/$files" "$files"
    echo "$target, $files files, 50 a directory, $rounds rounds"
    timer Vantrelc "$(launcher "$trees/$files")" "dir /s" "$(listing "$trees/$files")"
done

make_tree "$trees/plain" "$linked"
make_tree "$trees/links" "$linked"
add_links "$trees/links"
echo "$target, $linked files with and without three links, $rounds rounds"
timer "Vantrelc, no links" "$(launcher "$trees/plain")" \
      "Vantrelc, three links" "$(launcher "$trees/links")" \
      "dir /s, no links" "$(listing "$trees/plain")"
