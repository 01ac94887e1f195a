#!/usr/bin/env bash
# Builds Skyroll and runs every test: first the core, the headless platform
# and the tools without Qt (so a GUI include in the core breaks the build),
# then everything with the desktop build and its tests under Xvfb, then the
# Windows cross build and its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset core
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs" --timeout 600

cmake --preset debug
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs" --timeout 600

bash scripts/test-windows.sh
