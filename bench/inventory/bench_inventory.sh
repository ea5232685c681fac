#!/usr/bin/env bash
# Times full kta-inventory runs on this machine: wall time, the part that is
# the plug-in's mandated sleeps, per-provider collection times and the
# program's peak memory.  Usage: bench/inventory/bench_inventory.sh [RUNS]
# (default 3) with the build in ${BUILD_DIR:-build}.  Needs /usr/bin/time
# and python3.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-build}
case $build in /*) ;; *) build=$here/$build ;; esac
program=$build/stage/kta-inventory
runs=${1:-3}
[ -x "$program" ] || { echo "no $program: build it first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The start-up and shut-down sequence sleeps by design: 3 s before a
# leftover server is killed, 1 s after cimserver returned (start), and 3 s
# before a server still running is killed (stop).
mandated=7

printf 'run  wall_s  beyond_sleeps_s  peak_rss_MB  instances\n'
for i in $(seq "$runs"); do
  /usr/bin/time -f '%e %M' -o "$work/time" "$program" --format json -o "$work/report.json" \
    --log "$work/run.log" 2>/dev/null || true
  read -r wall rss < "$work/time"
  python3 - "$work/report.json" "$i" "$wall" "$rss" "$mandated" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
run, wall, rss, mandated = sys.argv[2], float(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5])
count = sum(len(c.get("instances", [])) for p in report["providers"] for c in p["classes"])
print(f"{run:>3}  {wall:6.2f}  {wall - mandated:15.2f}  {rss / 1024:11.1f}  {count:9d}")
PY
done

echo
echo "per-provider collection time of the last run (s):"
python3 - "$work/report.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
for p in sorted(report["providers"], key=lambda p: -p["seconds"]):
    n = sum(len(c.get("instances", [])) for c in p["classes"])
    print(f"  {p['name']:<14} {p['seconds']:7.3f}  ({len(p['classes'])} classes, {n} instances)")
PY
