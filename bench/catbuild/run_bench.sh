#!/bin/bash
# Full-size timings of the builder programs, one after another under the shared
# benchmark lock. Usage: run_bench.sh BIN_DIR [PROGRAM...]
# Works in /work/bench_data/catbuild/ (its own drive_c; userdata1.dat is a link to the
# shared prepared file). A grow run of catbuild_4 makes the member file the other runs
# read, reshaped to the shape each configuration reads.
set -u
BIN=$1; shift
ROOT=/work/bench_data/catbuild
DS=$ROOT/drive_c/ratinglab/dataset
mkdir -p "$DS"
ln -sf /work/bench_data/drive_c/ratinglab/dataset/userdata1.dat "$DS/userdata1.dat"
export RATINGLAB_DRIVE_C=$ROOT/drive_c
export RATINGLAB_SEED=20261211
PROGRAMS=${*:-catbuild_4_grow catbuild_4 catbuild_1 catbuild_2 catbuild_5 catbuild_7 catbuild_6 catbuild_3 catbuild_3_grow catbuild_5_grow catbuild_6_grow catbuild_7_grow}
BASE=$ROOT/members_32x120047.dat

# reshape SRC ROWS COLS DST NEWROWS NEWCOLS: copies row by row, padding or cutting
# each row and repeating rows when more are wanted.
reshape() {
  python3 - "$@" <<'PY'
import sys
src, rows, cols, dst, nr, nc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], int(sys.argv[5]), int(sys.argv[6])
data = open(src, 'rb').read()
out = bytearray()
for r in range(nr):
    row = data[(r % rows) * cols * 4:((r % rows) + 1) * cols * 4]
    row = row[:nc * 4] + bytes(max(0, nc * 4 - len(row)))
    out += row
open(dst, 'wb').write(out)
PY
}

for p in $PROGRAMS; do
  case $p in
    catbuild_1) mkdir -p "$ROOT/work/dataset"; ln -sf "$DS/userdata1.dat" "$ROOT/work/dataset/userdata1.dat"
                cp "$BASE" "$ROOT/work/dataset/catbinweights1.dat" ;;
    catbuild_2) cp "$BASE" "$DS/catbinweights1.dat" ;;
    catbuild_3) reshape "$BASE" 32 120047 "$DS/catbinweights2.dat" 64 120047 ;;
    catbuild_4|catbuild_5|catbuild_7) cp "$BASE" "$DS/catbinweights2.dat" ;;
    catbuild_6) reshape "$BASE" 32 120047 "$DS/catbinweights1.dat" 32 1000 ;;
  esac
  mkdir -p "$ROOT/work"
  cd "$ROOT/work"
  flock /work/bench_data/.bench.lock /usr/bin/time -v "$BIN/$p" </dev/null >"$ROOT/$p.out" 2>"$ROOT/$p.time"
  rc=$?
  wall=$(grep 'Elapsed' "$ROOT/$p.time" | awk '{print $NF}')
  rss=$(grep 'Maximum resident' "$ROOT/$p.time" | awk '{print $NF}')
  echo "$p rc=$rc wall=$wall peak_kb=$rss" | tee -a "$ROOT/results.txt"
  if [ "$p" = catbuild_4_grow ]; then cp "$DS/catbinweights1.dat" "$BASE"; fi
done
