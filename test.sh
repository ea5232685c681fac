#!/usr/bin/env bash
# Builds everything and runs every test: setup, configure, build, ctest.
# BUILD_DIR (default: build) chooses the build folder.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
