#!/bin/sh
# Full-size benchmark of predict_qualifying (as delivered) under the shared benchmark
# lock, on the swapn2.dat that bench/bin_test/run_bench.sh leaves in our own dataset
# folder and the shared query list. With PREPARE=1 it times predict_qualifying_prepare,
# which counts and parses qualifying.txt itself.
#   BUILD=build sh bench/predict/run_bench.sh
set -eu
BUILD=$(cd "${BUILD:-build}" && pwd)
SHARED=${SHARED:-/work/bench_data/drive_c/ratinglab/dataset}
SHARED_WORK=${SHARED_WORK:-/work/bench_data/work}
OWN=${OWN:-/work/bench_data/predict}
DS=$OWN/drive_c/ratinglab/dataset
PROGRAM=predict_qualifying
if [ "${PREPARE:-0}" = 1 ]; then PROGRAM=predict_qualifying_prepare; fi
mkdir -p "$DS" "$OWN/work"
for f in shortuserids2.dat movieend.dat qualifying.txt scores.dat userids2.dat; do
  if [ -e "$SHARED/$f" ]; then ln -sfn "$SHARED/$f" "$DS/$f"; fi
done
if [ ! -e "$DS/swapn2.dat" ]; then echo "run bench/bin_test/run_bench.sh first" >&2; exit 1; fi
if [ "$PROGRAM" = predict_qualifying ]; then
  if [ -e "$SHARED_WORK/predictdata.dat" ]; then
    ln -sfn "$SHARED_WORK/predictdata.dat" "$OWN/work/predictdata.dat"
  elif [ ! -e "$OWN/work/predictdata.dat" ]; then
    echo "no shared predictdata.dat yet: writing a synthetic query list" >&2
    "$BUILD/bin/make_bench_weights" --queries "$DS/shortuserids2.dat" "$OWN/work/predictdata.dat"
  fi
else
  rm -f "$OWN/work/predictdata.dat"  # never write through a link to the shared list
fi
cd "$OWN/work"
RATINGLAB_DRIVE_C=$OWN/drive_c flock /work/bench_data/.bench.lock \
  /usr/bin/time -v "$BUILD/bin/$PROGRAM" </dev/null >"$PROGRAM.out" 2>"$PROGRAM.time"
grep -E "Elapsed|Maximum resident|Exit status" "$PROGRAM.time"
