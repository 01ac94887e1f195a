#!/usr/bin/env bash
# Builds Skyroll and runs every test: first the core, the headless platform
# and the tools without Qt (so a GUI include in the core breaks the build),
# then everything with the desktop build and its tests under Xvfb, built
# with AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz
# target for a bounded time, then the
# README's run command itself on a short run and the Debian package (both
# from the release build), and last the Windows cross build and its tests
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset core
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs" --timeout 600

# The whole suite, the desktop tests included, under the sanitizers (the
# `debug` preset is the same build without them, for everyday work).
cmake --preset asan-ubsan
cmake --build --preset asan-ubsan -j "$jobs"
ctest --preset asan-ubsan -j "$jobs" --timeout 600

# Every fuzz target for a bounded time (7 targets: about 3 minutes with the
# fuzz build).
SKYROLL_FUZZ_SECONDS=${SKYROLL_FUZZ_SECONDS:-20} bash scripts/fuzz.sh

# The README's run command itself, on a short run.
SKYROLL_RUN_SECONDS=3 bash tests/desktop/run_command.sh

# The Debian package from the release build, installed with apt-get and run
# by an ordinary user; the package test skips unless run as root.
cmake --preset release
cmake --build --preset release -j "$jobs" --target skyroll skyroll_data
rm -f build/release/skyroll_*.deb
(cd build/release && cpack -G DEB)
bash tests/package/package_test.sh build/release/skyroll_*.deb

# The Windows cross build and its tests under Wine.
bash scripts/test-windows.sh
