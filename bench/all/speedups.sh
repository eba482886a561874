#!/usr/bin/env bash
# The speed-up column of the benchmark table: on a small generated experiment, the
# wall time of a program beside that of the literal reference the tests compare it
# against (bench/all/literal_routes, built with -DRATINGLAB_BENCH=ON), with a check
# that both give the same bytes. Writes FOLDER/speedups/PROGRAM.txt, which
# bench/all/run.sh puts in its table.
#
#   bench/all/speedups.sh [--build DIR] [--bench-build DIR] [--folder DIR] [--ratings N]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=$root/build
bench_build=$root/build_bench
folder=""
ratings=1000000
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --bench-build) bench_build=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    --ratings) ratings=$2; shift 2 ;;
    *) echo "speedups.sh: unknown option: $1" >&2; exit 2 ;;
  esac
done
if [ -z "$folder" ]; then
  if [ -d /work/bench_data ]; then folder=/work/bench_data/experiment; else folder=$build/bench_all; fi
fi
bin="$(cd "$build" && pwd)/bin"
literal="$bench_build/bin/literal_routes"
[ -x "$literal" ] || { echo "speedups.sh: $literal is not built (cmake -DRATINGLAB_BENCH=ON)" >&2; exit 2; }
lock=/work/bench_data/.bench.lock
[ -e "$lock" ] || lock=$folder/.bench.lock
mkdir -p "$folder/speedups"
exp=$folder/speedup_exp
rm -rf "$exp"
"$bin/run_experiment" --ratings "$ratings" --start grow "$exp" >"$folder/speedups/experiment.log" 2>&1 ||
  { echo "speedups.sh: the small experiment failed (speedups/experiment.log)" >&2; exit 1; }
ds=$exp/drive_c/ratinglab/dataset
export RATINGLAB_DRIVE_C=$exp/drive_c

wall() {  # PROGRAM: its wall seconds in the experiment's working folder, under the lock
  (cd "$exp/work" && flock "$lock" /usr/bin/time -f %e -o "$folder/speedups/t" "$bin/$1") \
    </dev/null >/dev/null 2>&1
  cat "$folder/speedups/t"
}

record() {  # PROGRAM FAST LITERAL_LINE
  local slow=${3% *} same=${3#* }
  awk -v f="$2" -v s="$slow" -v n="$ratings" -v same="$same" \
    'BEGIN { printf "%.1fx (%.1f s against %.1f s on %d ratings, output %s)\n", s / (f > 0 ? f : 0.01), f, s, n, same }' \
    | tee "$folder/speedups/$1.txt"
}

fast=$(wall bin_test)
record bin_test "$fast" "$(flock "$lock" "$literal" bin_test "$ds")"

cp "$ds/catbinweights2.dat" "$folder/speedups/members.dat"
fast=$(wall catbuild_4)
cp "$ds/weights.dat" "$folder/speedups/weights.dat"
record catbuild_4 "$fast" "$(flock "$lock" "$literal" catbuild_4 "$ds" "$folder/speedups/members.dat" "$folder/speedups/weights.dat")"
