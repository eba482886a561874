#!/usr/bin/env bash
# Full-size timing of prepare_inputs: wall time and peak memory from /usr/bin/time -v,
# taken under the shared benchmark lock.
#
#   bench/prepare/run.sh [RAW_DIR [OUT_DIR]]
#
# RAW_DIR defaults to the shared generated set /work/bench_data/raw. The prepared files
# go to OUT_DIR/work (working folder) and OUT_DIR/drive_c (drive C), by default
# /work/bench_data/prepare, so a repeat never replaces the shared prepared inputs.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
raw="${1:-/work/bench_data/raw}"
out="${2:-/work/bench_data/prepare}"
bin="${BUILD:-$here/build}/bin/prepare_inputs"
[ -x "$bin" ] || { echo "run.sh: build prepare_inputs first ($bin)" >&2; exit 1; }
[ -e "$raw/.done" ] || [ -d "$raw/training_set" ] || { echo "run.sh: no raw set in $raw" >&2; exit 1; }
mkdir -p "$out/work" "$out/drive_c"
cd "$out/work"
flock /work/bench_data/.bench.lock env RATINGLAB_DRIVE_C="$out/drive_c" \
  /usr/bin/time -v "$bin" "$raw" 2> "$out/prepare_time.txt"
grep -E 'Elapsed|Maximum resident' "$out/prepare_time.txt"
