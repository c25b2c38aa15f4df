#!/usr/bin/env bash
# Makes the release package of one build tree and checks it as the person
# who installs it would find it: the ZIP opens; it holds exactly the three
# deliverables and README.txt, at its top and nothing besides; each
# deliverable is the build's own file stripped; README.txt has Windows line
# ends; SHA256SUMS lists the ZIP and each of its files and verifies them.
# The three 32-bit files together stay under 320 KB (320,000 bytes).  It
# ends by printing the size of each packaged file.
#   check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
cmake --build "$build" --target package >/dev/null
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")
zip=$name.zip
deliverables=(Vantrelc.exe zorv.exe zorvrni.dll)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $zip: $*"; failures=$((failures + 1)); }

unzip -tq "$build/$zip" >/dev/null || fail "does not open"
entries=$(unzip -Z1 "$build/$zip" | sort)
expected=$(printf '%s\n' README.txt "${deliverables[@]}" | sort)
[ "$entries" = "$expected" ] || fail "holds" $entries
unzip -q "$build/$zip" -d "$work"

# strip writes the time it runs into the PE header; made with the packaged
# file's time, the build's file stripped again must be that file, byte for byte.
pe_time() {
    local header
    header=$(od -An -t u4 -j 60 -N 4 "$1")
    od -An -t u4 -j $((header + 8)) -N 4 "$1"
}
total=0
sizes=()
for file in "${deliverables[@]}"; do
    [ -f "$work/$file" ] || continue
    SOURCE_DATE_EPOCH=$(($(pe_time "$work/$file"))) \
        "$strip" -o "$work/$file.expected" "$build/bin/$file"
    cmp -s "$work/$file.expected" "$work/$file" || fail "$file is not the stripped build output"
    size=$(stat -c %s "$work/$file")
    total=$((total + size))
    sizes+=("$(printf '%10d  %s' "$size" "$file")")
    rm "$work/$file.expected"
done
if [ -f "$work/README.txt" ] && grep -q $'[^\r]$' "$work/README.txt"; then
    fail "README.txt has lines without CR LF"
fi

cp "$build/$zip" "$build/SHA256SUMS" "$work/"
listed=$(awk '{print $2}' "$work/SHA256SUMS" | sort)
[ "$listed" = "$(printf '%s\n' "$zip" $expected | sort)" ] || fail "SHA256SUMS lists" $listed
(cd "$work" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"

case $name in
    *-win32) [ "$total" -lt 320000 ] || fail "the three files are $total bytes, 320,000 or more" ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "ok: $build/$zip"
printf '    %s\n' "${sizes[@]}" "$(printf '%10d  together' "$total")"
