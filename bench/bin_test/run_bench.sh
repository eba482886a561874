#!/bin/sh
# Full-size benchmark of bin_test under the shared benchmark lock.
#
# Our own dataset folder holds symlinks to the shared prepared files and a generated
# 32-category weights.dat (kept between runs); bin_test writes swapn2.dat there, which
# the predict benchmark then reads.
#   BUILD=build sh bench/bin_test/run_bench.sh
set -eu
BUILD=$(cd "${BUILD:-build}" && pwd)
SHARED=${SHARED:-/work/bench_data/drive_c/ratinglab/dataset}
OWN=${OWN:-/work/bench_data/predict}
DS=$OWN/drive_c/ratinglab/dataset
mkdir -p "$DS" "$OWN/work"
for f in userdata1.dat shortuserids2.dat statistics.dat movieend.dat movienames.dat \
         qualifying.txt scores.dat userids2.dat; do
  if [ -e "$SHARED/$f" ]; then ln -sfn "$SHARED/$f" "$DS/$f"; fi
done
if [ ! -e "$DS/userdata1.dat" ]; then
  echo "no shared userdata1.dat yet: writing synthetic full-size ratings" >&2
  "$BUILD/bin/make_bench_weights" --userdata "$DS/userdata1.dat"
fi
if [ ! -e "$DS/weights.dat" ]; then "$BUILD/bin/make_bench_weights" "$DS/weights.dat" 32; fi
cd "$OWN/work"
RATINGLAB_DRIVE_C=$OWN/drive_c flock /work/bench_data/.bench.lock \
  /usr/bin/time -v "$BUILD/bin/bin_test" </dev/null >bin_test.out 2>bin_test.time
tail -c 200 bin_test.out | tr '\r' ' '; echo
grep -E "Elapsed|Maximum resident" bin_test.time
