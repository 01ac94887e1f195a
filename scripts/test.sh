#!/usr/bin/env bash
# Builds Skyroll and runs every test: first the core, the headless platform
# and the tools without Qt (so a GUI include in the core breaks the build),
# then everything with the desktop build and its tests under Xvfb, built
# with AddressSanitizer and UndefinedBehaviorSanitizer; then, from the
# release build, the README's run command on a short run, the kill points
# and the Debian package; then every fuzz target for a bounded time, and last
# the Windows cross build and its tests under Wine.
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
# The kill points run below against the release build: under the
# sanitizers each of their fifty starts costs several times as much.
ctest --preset asan-ubsan -j "$jobs" --timeout 600 -LE killpoints

# The README's run command itself, on a short run (it builds the release
# preset's program).
SKYROLL_RUN_SECONDS=3 bash tests/desktop/run_command.sh

# SIGTERM and SIGKILL at fifty moments of a fixed seed: the desktop, the
# settings and the weather file always come back whole.
cmake --preset release
# weather-refresh is the Linux side of the Windows refresh test at the end.
cmake --build --preset release -j "$jobs" --target skyroll skyroll_data weather-refresh
bash tests/killpoints/killpoints.sh build/release/bin/skyroll 1 50

# The Debian package from the release build, installed with apt-get and run
# by an ordinary user; the package test skips unless run as root.
rm -f build/release/skyroll_*.deb
(cd build/release && cpack -G DEB)
bash tests/package/package_test.sh build/release/skyroll_*.deb

# Every fuzz target for a bounded time (7 targets: about 3 minutes with the
# fuzz build).
SKYROLL_FUZZ_SECONDS=${SKYROLL_FUZZ_SECONDS:-20} bash scripts/fuzz.sh

# The Windows cross build and its tests under Wine.
bash scripts/test-windows.sh
