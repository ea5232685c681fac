#!/usr/bin/env bash
# Builds what the inventory needs (the host program, the plug-in, the host
# libraries, the CIM server's programs and schema, the sample providers) and
# runs kta-inventory on this machine: setup, configure, build, run.
# BUILD_DIR (default: build, below this folder) chooses the build folder.
# The arguments go to kta-inventory (./run.sh --help lists them); paths in
# them are relative to the caller's directory.  Everything but the report
# goes to standard error, so `./run.sh --format json > report.json` works.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-build}
case $build in
  /*) ;;
  *) build=$here/$build ;;
esac
"$here/setup.sh" >&2
cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target kta-inventory pegasus_nsp ktacore inmem xmlparser \
  cimserver cimmof cimconfig pegschema sample_providers >&2
exec "$build/stage/kta-inventory" "$@"
