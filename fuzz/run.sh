#!/usr/bin/env bash
# Runs one libFuzzer target for N seconds with AddressSanitizer and
# UndefinedBehaviorSanitizer, on its committed corpus and dictionary:
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
# TARGET is the name without "fuzz_" (cimxml_decoder, http_request, mof,
# datetime, objectpath, requested_class_parser).  Builds the target first
# in build-fuzz (clang; BUILD_DIR chooses another folder).  New inputs go to
# <build>/fuzz-out/TARGET, findings to <build>/fuzz-artifacts/, the log to
# <build>/fuzz-TARGET.log; the committed corpus is only read.  Exits
# non-zero when the run found something.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
    echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
build=${BUILD_DIR:-build-fuzz}
if [ ! -d "fuzz/corpus/$target" ]; then
    echo "$0: no corpus fuzz/corpus/$target" >&2
    exit 2
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DKTA_FUZZ=ON \
        -DKTA_BUILD_TESTS=OFF -DKTA_BUILD_BENCHMARKS=OFF >/dev/null
fi
nice -n 10 cmake --build "$build" --target "fuzz_$target"
mkdir -p "$build/fuzz-out/$target" "$build/fuzz-artifacts"
dict=()
if [ -f "fuzz/$target.dict" ]; then
    dict=(-dict="fuzz/$target.dict")
fi
status=0
nice -n 10 "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
    -artifact_prefix="$build/fuzz-artifacts/" "$@" \
    "$build/fuzz-out/$target" "fuzz/corpus/$target" >"$build/fuzz-$target.log" 2>&1 ||
    status=$?
grep -E '^(#[0-9]+.*(INITED|DONE)|stat::|==[0-9]+==|SUMMARY|artifact_prefix)' \
    "$build/fuzz-$target.log" || true
exit "$status"
