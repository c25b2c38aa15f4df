#!/usr/bin/env bash
# Checks the sources (format, cppcheck), builds both targets (a warning in
# the product's code fails the build) and runs every test under Wine: the
# 64-bit suite, and beside it the 32-bit one wherever this machine executes
# 32-bit code.  Fails when any of it fails; the last line says which
# targets were tested.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/check_sources.sh
for target in x86 x64; do
    cmake --preset $target >/dev/null
    cmake --build --preset $target -j"$(nproc)"
    tools/check_package.sh build/$target
done

# Each target's bench has a Wine prefix and a display of its own, so the
# 32-bit suite runs beside the 64-bit one; its output follows when it ends.
failed=()
x86_suite=
if ! tools/x86-runs.sh; then
    tested="x64 only; x86 was skipped: this machine cannot run 32-bit code"
elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    tested="x64 only; x86 was skipped: wine32 could not be installed"
else
    ctest --preset x86 >build/x86/ctest.log 2>&1 &
    x86_suite=$!
    tested="x64 and x86"
fi
ctest --preset x64 || failed+=(x64)
if [ -n "$x86_suite" ]; then
    wait $x86_suite || failed+=(x86)
    echo "== the x86 suite =="
    cat build/x86/ctest.log
fi
if [ ${#failed[@]} -eq 0 ]; then
    echo "Tested: $tested. All passed."
else
    echo "Tested: $tested. Failed: ${failed[*]}."
    exit 1
fi
