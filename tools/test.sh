#!/usr/bin/env bash
# Checks the sources (format, cppcheck), builds both targets (a warning in
# the product's code fails the build) and runs every test under Wine: the
# 64-bit suite, then the 32-bit one wherever this machine executes 32-bit
# code.  Fails when any of it fails; the last line says which targets were
# tested.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/check_sources.sh
for target in x86 x64; do
    cmake --preset $target >/dev/null
    cmake --build --preset $target -j"$(nproc)"
    tools/check_package.sh build/$target
done

failed=()
ctest --preset x64 || failed+=(x64)
if ! tools/x86-runs.sh; then
    tested="x64 only; x86 was skipped: this machine cannot run 32-bit code"
elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    tested="x64 only; x86 was skipped: wine32 could not be installed"
else
    ctest --preset x86 || failed+=(x86)
    tested="x64 and x86"
fi
if [ ${#failed[@]} -eq 0 ]; then
    echo "Tested: $tested. All passed."
else
    echo "Tested: $tested. Failed: ${failed[*]}."
    exit 1
fi
