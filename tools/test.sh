#!/usr/bin/env bash
# Builds both targets and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset x86 >/dev/null
cmake --build --preset x86 -j"$(nproc)"
tools/check_package.sh build/x86
cmake --preset x64 >/dev/null
cmake --build --preset x64 -j"$(nproc)"
tools/check_package.sh build/x64
ctest --preset x64
