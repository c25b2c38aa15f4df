#!/usr/bin/env bash
# Builds both targets and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset x86 >/dev/null
cmake --build --preset x86 -j"$(nproc)"
cmake --preset x64 >/dev/null
cmake --build --preset x64 -j"$(nproc)"
ctest --preset x64
