#!/usr/bin/env bash
# Full-size benchmark of movie_rmse: runs it on the shared packed set in a working
# folder of its own whose data/ links to the six shared view files (the outputs land
# beside the links), under the global bench lock, measured by /usr/bin/time -v.
#
#   bench/movie_rmse/run.sh [BUILD_DIR]      (default: build)
#
# When BUILD_DIR also holds movie_rmse_spot_check (configured with -DRATINGLAB_BENCH=ON),
# some groups are then recomputed by the literal route and compared with the files.
#
# Budget: 60 s wall and under 3 GB peak resident memory on the 2-core machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
bin="$(cd "$build" && pwd)/bin/movie_rmse"
shared=/work/bench_data/work/data
work=/work/bench_data/rmse

[[ -x "$bin" ]] || { echo "run.sh: $bin is not built" >&2; exit 1; }
[[ -e "$shared/.done" ]] || { echo "run.sh: $shared/.done is missing (packed set not ready)" >&2; exit 1; }

mkdir -p "$work/data"
for f in ratinguser.dat moviestarts.dat userids.dat ratingmovie.dat userstarts.dat movieids.dat; do
  ln -sfn "$shared/$f" "$work/data/$f"
done

cd "$work"
echo "ratings: $(stat -L -c %s data/ratingmovie.dat)"
status=0
flock /work/bench_data/.bench.lock /usr/bin/time -v "$bin" </dev/null >movie_rmse.out 2>time.txt || status=$?
grep -E "Elapsed \(wall clock\)|Maximum resident set size|User time|System time|Exit status" time.txt
grep -v -E "^\s" time.txt | grep -v "Command being timed" || true
echo "T = $(( $(stat -c %s data/rmse.dat) / 4 ))"
tail -c 200 movie_rmse.out | tr '\r' ' ' | tail -2
spot="$(dirname "$bin")/movie_rmse_spot_check"
if [[ $status -eq 0 && -x "$spot" ]]; then
  "$spot" 133 || status=$?
fi
exit $status
