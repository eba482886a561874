#!/usr/bin/env bash
# Full-size benchmark of errreport (64-category weights.dat) and errreport_b
# (32-category weightsb.dat) on the full probe list. Runs in its own folders under
# /work/bench_data/errreport/: work/ (the working folder, probe.dat) and drive_c/
# (RATINGLAB_DRIVE_C). The prepared shared inputs are linked in when they are ready
# (/work/bench_data/drive_c/.done); otherwise stand-ins of the same shape are written.
# Each program runs under the global bench lock and /usr/bin/time -v.
#   bench/errreport/run_bench.sh [BUILD_DIR]   (built with -DRATINGLAB_BENCH=ON)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
BENCH=/work/bench_data
OUT=$BENCH/errreport
DS=$OUT/drive_c/ratinglab/dataset
mkdir -p "$OUT/work" "$DS"

if [ -e "$BENCH/drive_c/.done" ]; then
  for f in shortuserids2.dat statistics.dat movieend.dat; do
    ln -sfn "$BENCH/drive_c/ratinglab/dataset/$f" "$DS/$f"
  done
  ln -sfn "$BENCH/work/probe.dat" "$OUT/work/probe.dat"
  echo "inputs: prepared shared files"
else
  if [ ! -e "$OUT/work/probe.dat" ] || [ -L "$OUT/work/probe.dat" ]; then
    "$BUILD/bin/errreport_bench_data" shared "$DS" "$OUT/work"
  fi
  echo "inputs: stand-ins (the prepared files are not ready)"
fi
if [ ! -e "$DS/weights.dat" ] || [ ! -e "$DS/weightsb.dat" ]; then
  "$BUILD/bin/errreport_bench_data" models "$DS"
fi
ls -l "$DS" "$OUT/work"

for prog in errreport errreport_b; do
  (cd "$OUT/work" &&
   flock "$BENCH/.bench.lock" /usr/bin/time -v -o "$OUT/$prog.time" \
     env RATINGLAB_DRIVE_C="$OUT/drive_c" "$BUILD/bin/$prog" </dev/null >"$OUT/$prog.out" 2>"$OUT/$prog.err")
  echo "== $prog (exit $?)"
  grep -E 'Elapsed \(wall|Maximum resident' "$OUT/$prog.time"
  cat "$OUT/$prog.err"
  tail -n 12 "$OUT/$prog.out"
  wc -l "$DS/errorbyrating.txt" "$DS/errorbysize.txt"
done
