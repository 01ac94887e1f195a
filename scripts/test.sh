#!/usr/bin/env bash
# Builds Skyroll and runs every test: first the core, the headless platform
# and the tools without Qt (so a GUI include in the core breaks the build),
# then everything with the desktop build and its tests under Xvfb, built
# with AddressSanitizer and UndefinedBehaviorSanitizer; then the whole
# release build and from it the README's run command on a short run, the
# kill points and the Debian package; then every fuzz target for a bounded
# time, and last the Windows cross build and its tests under Wine.
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

# The release preset, every target of it, as the README builds it: at -O3
# GCC warns where the debug builds do not. Its tests already ran above
# under the sanitizers; its program serves the run command, the kill
# points, the package and (weather-refresh) the Windows refresh test.
cmake --preset release
cmake --build --preset release -j "$jobs"

# The README's run command itself, on a short run.
SKYROLL_RUN_SECONDS=3 bash tests/desktop/run_command.sh

# SIGTERM and SIGKILL at fifty moments of a fixed seed: the desktop, the
# settings and the weather file always come back whole.
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
