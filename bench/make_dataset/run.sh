#!/usr/bin/env bash
# Times the full-size generation (17770 movies, 100480507 ratings, about 2 GB of text)
# under the shared benchmark lock. Wall time and peak memory are the "Elapsed (wall
# clock)" and "Maximum resident set size" lines of the report.
#
#   bench/make_dataset/run.sh [BUILD_DIR] [OUT] [more make_dataset options]
#
# BUILD_DIR defaults to build, OUT to /work/bench_data/make_dataset/raw. The time report
# goes to stderr and to OUT/../gen_time.txt.
set -euo pipefail
build=${1:-build}
out=${2:-/work/bench_data/make_dataset/raw}
shift $(( $# < 2 ? $# : 2 ))
lock=/work/bench_data/.bench.lock
mkdir -p "$(dirname "$out")"
report="$(dirname "$out")/gen_time.txt"
flock "$lock" /usr/bin/time -v -o "$report" "$build/bin/make_dataset" "$out" --seed 1 "$@"
cat "$report" >&2
grep -E 'Elapsed \(wall clock\)|Maximum resident set size' "$report"
