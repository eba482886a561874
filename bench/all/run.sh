#!/usr/bin/env bash
# Full-size benchmark of every program: runs each one on the full-size generated set
# (100480507 ratings) in a bench folder of its own, measures wall time and peak
# resident memory with /usr/bin/time -v, and prints a table with the budget of each
# program. The table is kept in bench/RESULTS.md with the date and the machine.
#
#   bench/all/run.sh [options]
#     --build DIR     the build folder (default: build)
#     --folder DIR    the bench folder (default: /work/bench_data/experiment when
#                     /work/bench_data exists, else build/bench_all)
#     --raw DIR       a full-size raw dataset to reuse (default: /work/bench_data/raw
#                     when its .done marker exists; otherwise make_dataset writes one
#                     into the bench folder, timed as the first row)
#     --time-generate with a reused raw set: also time make_dataset writing a
#                     full-size set into the bench folder (removed afterwards)
#     --only LIST     run only these programs (comma separated); others keep the
#                     figures of an earlier run in the bench folder, if any
#     --grow LIST     the growing programs to run, by configuration (default
#                     3,4,5,6,7; 10 minutes each at most); --no-grow runs none.
#                     Without the catbuild_4_grow run the first member file comes
#                     from start_members (random quarters of the users)
#     --lock FILE     the lock that keeps benchmarks apart (default:
#                     /work/bench_data/.bench.lock, else one in the bench folder)
#
# Each program runs with stdin from /dev/null, its stdout in logs/PROGRAM.log and its
# timing in times/PROGRAM.txt. Member files of the shapes each builder reads are made
# from the ones earlier runs wrote (see docs/experiment.md).
set -uo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build"
folder=""
raw=""
only=""
grow=",3,4,5,6,7,"
time_generate=0
lock=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    --raw) raw=$2; shift 2 ;;
    --only) only=",$2,"; shift 2 ;;
    --no-grow) grow=""; shift ;;
    --time-generate) time_generate=1; shift ;;
    --grow) grow=",$2,"; shift 2 ;;
    --lock) lock=$2; shift 2 ;;
    --help|-h) sed -n '2,24p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option: $1" >&2; exit 2 ;;
  esac
done
bin="$(cd "$build" && pwd)/bin"
if [ -z "$folder" ]; then
  if [ -d /work/bench_data ]; then folder=/work/bench_data/experiment; else folder=$build/bench_all; fi
fi
if [ -z "$raw" ] && [ -e /work/bench_data/raw/.done ]; then raw=/work/bench_data/raw; fi
if [ -z "$lock" ]; then
  if [ -e /work/bench_data/.bench.lock ]; then lock=/work/bench_data/.bench.lock; else lock=$folder/.bench.lock; fi
fi
[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is needed (apt-get install time)" >&2; exit 2; }
mkdir -p "$folder"/{work/data,drive_c/ratinglab/dataset,logs,times,members}
folder="$(cd "$folder" && pwd)"
work=$folder/work
dataset=$folder/drive_c/ratinglab/dataset
export RATINGLAB_DRIVE_C=$folder/drive_c

selected() { [ -z "$only" ] || [[ "$only" == *",$1,"* ]]; }

# time_run NAME FOLDER PROGRAM ARGS...: one timed run under the lock.
time_run() {
  local name=$1 dir=$2 prog=$3
  shift 3
  selected "$name" || return 0
  if [ ! -x "$bin/$prog" ]; then
    echo "missing" >"$folder/times/$name.txt"
    printf '%-28s not built\n' "$name"
    return 0
  fi
  printf '%-28s ' "$name"
  (cd "$dir" && flock "$lock" /usr/bin/time -v -o "$folder/times/$name.txt" "$bin/$prog" "$@") \
    </dev/null >"$folder/logs/$name.log" 2>"$folder/logs/$name.err"
  local status=$?
  [ $status -eq 0 ] || echo "exit $status" >>"$folder/times/$name.txt"
  printf '%s s, %s MB%s\n' "$(wall_of "$name")" "$(peak_of "$name")" \
    "$([ $status -eq 0 ] || echo ", exit status $status (logs/$name.err)")"
}

wall_of() {  # seconds from "Elapsed (wall clock) time (h:mm:ss or m:ss): ..."
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0
         for (i = 1; i <= n; i++) s = s * 60 + p[i]; printf "%.1f", s }' "$folder/times/$1.txt" 2>/dev/null
}
peak_of() {  # megabytes from "Maximum resident set size (kbytes): ..."
  awk -F': ' '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$folder/times/$1.txt" 2>/dev/null
}
failed_of() { grep -q '^exit \|^missing' "$folder/times/$1.txt" 2>/dev/null; }

quarter() {  # n / 4 rounded, ties to even
  local q=$(($1 / 4)) r=$(($1 % 4))
  if [ $r -eq 3 ] || { [ $r -eq 2 ] && [ $((q % 2)) -eq 1 ]; }; then q=$((q + 1)); fi
  echo $q
}

echo "bench folder: $folder"
# --- the data ----------------------------------------------------------------------
if [ -n "$raw" ]; then
  raw="$(cd "$raw" && pwd)"
  ln -sfn "$raw" "$folder/download"
  echo "raw dataset: $raw (reused)"
  if [ $time_generate -eq 1 ]; then
    rm -rf "$folder/gen_check"
    time_run make_dataset "$folder" make_dataset gen_check
    rm -rf "$folder/gen_check"
  fi
else
  if [ ! -e "$folder/raw/.done" ]; then
    rm -rf "$folder/raw"
    time_run make_dataset "$folder" make_dataset raw
    [ -d "$folder/raw/training_set" ] && touch "$folder/raw/.done"
  fi
  ln -sfn raw "$folder/download"
fi

# --- the packed training chain -----------------------------------------------------
time_run pack_training "$work" pack_training
time_run movie_rmse "$work" movie_rmse

# --- the category chain ------------------------------------------------------------
time_run prepare_inputs "$work" prepare_inputs ../download
U=$(od -An -t d4 -j 8 -N 4 "$dataset/userdata1.dat" 2>/dev/null | tr -d ' ')
S=$(quarter "${U:-0}")
M32=$folder/members/m32.dat     # 32 x NUSERS/4, from the refinement runs

grow_run() {  # the growing program of configuration C
  [[ "$grow" == *",$1,"* ]] || return 0
  time_run "catbuild_$1_grow" "$work" "catbuild_$1_grow"
  cp -f "$dataset/catbinweights1.dat" "$folder/members/grown_$1.dat" 2>/dev/null
}
grow_run 4
# The refinement runs of configurations 4, 5 and 7 read 32 x NUSERS/4 from
# catbinweights2.dat: the grown file of configuration 4 has that shape.
if [ ! -f "$folder/members/grown_4.dat" ]; then
  if [ -f "$M32" ]; then cp "$M32" "$folder/members/grown_4.dat"
  else "$bin/start_members" "$dataset/userdata1.dat" "$folder/members/grown_4.dat" 1 >/dev/null
  fi
fi
for c in 4 5 7; do
  cp -f "$folder/members/grown_4.dat" "$dataset/catbinweights2.dat" 2>/dev/null
  time_run "catbuild_$c" "$work" "catbuild_$c"
  [ $c = 4 ] && cp -f "$dataset/catbinweights2.dat" "$M32" 2>/dev/null && cp -f "$dataset/weights.dat" "$folder/members/weights32.dat"
done
# bin_test and the predictions on the 32-category model of catbuild_4.
cp -f "$folder/members/weights32.dat" "$dataset/weights.dat" 2>/dev/null
time_run bin_test "$work" bin_test
time_run predict_qualifying "$work" predict_qualifying
cp -f "$work/predictdata.dat" "$folder/members/predictdata.dat" 2>/dev/null
time_run predict_qualifying_prepare "$work" predict_qualifying_prepare
cmp -s "$work/predictdata.dat" "$folder/members/predictdata.dat" ||
  echo "note: predict_qualifying_prepare wrote another predictdata.dat than prepare_inputs"
# catbuild_3 reads 64 x NUSERS/4: the 32-category file twice over.
if [ -f "$M32" ]; then cat "$M32" "$M32" >"$dataset/catbinweights2.dat"; fi
time_run catbuild_3 "$work" catbuild_3
# errreport on the 64-category layout that catbuild_3 wrote.
time_run errreport "$work" errreport weights
# catbuild_1 and catbuild_2 read 32 x NUSERS/4 from catbinweights1.dat.
cp -f "$M32" "$dataset/catbinweights1.dat" 2>/dev/null
time_run catbuild_1 "$work" catbuild_1
time_run catbuild_2 "$work" catbuild_2
time_run errreport_b "$work" errreport_b weightsb
# catbuild_6 reads 32 x 1000 from catbinweights1.dat: the first 1000 slots of each row.
if [ -f "$M32" ] && [ -n "$U" ]; then
  : >"$dataset/catbinweights1.dat"
  for c in $(seq 0 31); do
    dd if="$M32" iflag=skip_bytes,count_bytes skip=$((c * S * 4)) count=4000 status=none \
      >>"$dataset/catbinweights1.dat"
  done
fi
time_run catbuild_6 "$work" catbuild_6
for c in 3 5 6 7; do grow_run $c; done
time_run print_demo "$work" print_demo
time_run circle_demo "$work" circle_demo
ml="${RATINGLAB_SHARED_DATA:-$root/../shared/data}/ml-latest-small"
if [ -f "$ml/ratings.csv" ]; then
  rm -rf "$folder/ml_raw"
  time_run import_ratings "$folder" import_ratings "$ml/ratings.csv" ml_raw --movies "$ml/movies.csv"
fi

# --- the table ---------------------------------------------------------------------
# program, budget seconds, budget memory (MB, 0 = none stated), where the budget is
BUDGETS="make_dataset 180 0
pack_training 60 4096
movie_rmse 60 3072
prepare_inputs 120 0
catbuild_1 180 8192
catbuild_2 180 8192
catbuild_3 300 8192
catbuild_4 300 8192
catbuild_5 300 8192
catbuild_6 300 8192
catbuild_7 300 8192
catbuild_3_grow 600 8192
catbuild_4_grow 600 8192
catbuild_5_grow 600 8192
catbuild_6_grow 600 8192
catbuild_7_grow 600 8192
bin_test 60 4096
predict_qualifying 30 4096
predict_qualifying_prepare 0 0
errreport 20 2048
errreport_b 20 2048
import_ratings 0 0
print_demo 0 0
circle_demo 0 0"

# Speed-ups over the literal routes, where a bench of that comparison left its figure
# in speedups/PROGRAM.txt ("12.3x on 1000000 ratings").
speedup_of() { cat "$folder/speedups/$1.txt" 2>/dev/null || echo "—"; }

table() {
  echo "| program | wall s | peak MB | budget | within | speed-up over the literal route |"
  echo "|---|---:|---:|---|---|---|"
  echo "$BUDGETS" | while read -r p bs bm; do
    local w="" m="" within="not run" budget
    budget="—"
    [ "$bs" = 0 ] || budget="${bs} s"
    [ "$bm" = 0 ] || budget="$budget, < $((bm / 1024)) GB"
    if [ -f "$folder/times/$p.txt" ]; then
      w=$(wall_of "$p"); m=$(peak_of "$p")
      if grep -q '^missing' "$folder/times/$p.txt"; then within="not built"
      elif failed_of "$p"; then within="failed ($(grep '^exit' "$folder/times/$p.txt"))"
      elif [ "$bs" = 0 ] && [ "$bm" = 0 ]; then within="(no budget)"
      elif awk -v w="$w" -v m="$m" -v bs="$bs" -v bm="$bm" \
             'BEGIN { exit !((bs == 0 || w <= bs) && (bm == 0 || m < bm)) }'; then within="yes"
      else within="NO"
      fi
    fi
    echo "| $p | ${w:-} | ${m:-} | $budget | $within | $(speedup_of "$p") |"
  done
}

{
  echo "# Benchmark results"
  echo
  echo "Written by \`bench/all/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
  echo
  echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo) memory; $(uname -sr)."
  echo
  echo "Data: $(stat -L -c %s "$work/data/ratingmovie.dat" 2>/dev/null || echo '?') training ratings, ${U:-?} users, raw set $( [ -n "$raw" ] && echo "$raw" || echo "$folder/raw" )."
  echo
  table
} >"$folder/RESULTS.md"
cat "$folder/RESULTS.md"
cp "$folder/RESULTS.md" "$root/bench/RESULTS.md"
