#!/usr/bin/env bash
# Full-size run of pack_training over the shared raw training set, timed with
# /usr/bin/time -v under the global benchmark lock. The time report goes to
# /work/bench_data/pack_time.txt (and stderr); data/ then holds the packed tables.
#
#   bench/packer/run.sh [PATH_TO_pack_training]
set -euo pipefail
cd "$(dirname "$0")/../.."
exe=$(realpath "${1:-build/bin/pack_training}")
bench=/work/bench_data
until [ -e "$bench/raw/.done" ]; do
  echo "waiting for $bench/raw/.done" >&2
  sleep 30
done
mkdir -p "$bench/work/data"
cd "$bench/work"
rm -f data/.done
flock "$bench/.bench.lock" /usr/bin/time -v -o "$bench/pack_time.txt" "$exe" </dev/null >/dev/null
grep -E 'Elapsed|Maximum resident|User time|System time' "$bench/pack_time.txt" >&2
