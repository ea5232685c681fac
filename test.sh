#!/usr/bin/env bash
# Builds everything and runs every test: setup, configure, build, ctest.
# BUILD_DIR (default: build) chooses the build folder.
# KTA_SANITIZE_SUITE=address then also builds the whole suite with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan (or
# SANITIZE_BUILD_DIR) and runs it; a test failure or any sanitizer report
# (tests/SANITIZERS.md) fails the command.  Off by default: it more than
# doubles the time of the command.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build"
(cd "$build" && ctest --output-on-failure -j "$(nproc)" "$@")

case ${KTA_SANITIZE_SUITE:-} in
"") ;;
address)
    sbuild=${SANITIZE_BUILD_DIR:-build-asan}
    cmake -S . -B "$sbuild" -G Ninja -DKTA_SANITIZE=address \
        -DKTA_BUILD_BENCHMARKS=OFF >/dev/null
    cmake --build "$sbuild"
    rm -f "$sbuild"/sanitizer-logs/*
    (cd "$sbuild" && ctest --output-on-failure -j "$(nproc)" "$@")
    if [ -n "$(ls -A "$sbuild/sanitizer-logs")" ]; then
        echo "sanitizer reports in $sbuild/sanitizer-logs:" >&2
        ls "$sbuild/sanitizer-logs" >&2
        exit 1
    fi
    ;;
*)
    echo "KTA_SANITIZE_SUITE must be empty or address" >&2
    exit 2
    ;;
esac
