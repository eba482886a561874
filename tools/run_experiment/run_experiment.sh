#!/usr/bin/env bash
# run_experiment: one whole experiment, unattended, in one experiment folder.
#
#   EXP/download/      the raw dataset (training_set/, probe.txt, qualifying.txt, ...),
#                      so that "../download/training_set/" works from the working folder
#   EXP/work/          the working folder: data/, probe.dat, predictdata.dat, dataset,
#                      results.txt
#   EXP/drive_c/       the "C:" drive of every program (RATINGLAB_DRIVE_C); the dataset
#                      folder is EXP/drive_c/ratinglab/dataset/
#   EXP/logs/          NN_step.log (the step's stdout) and NN_step.err (its stderr)
#   EXP/reports/       the error reports of each scored model
#   EXP/summary.txt    the summary printed at the end
#
# Every program runs with stdin from /dev/null, so its closing key wait returns at
# once. A step that fails, or whose outputs do not have their stated sizes, stops the
# run with exit status 1.
set -u
set -o pipefail

PROG=run_experiment

usage() {
  cat <<'EOF'
usage: run_experiment [options] EXP

Runs a whole experiment in the folder EXP (created when missing; it must be empty):
the data, pack_training, movie_rmse, prepare_inputs, a growing builder run, the
refinement run, the mean-based builder run, bin_test, the qualifying predictions and
both error reports; then prints a summary with the probe RMSE of each report and,
where the true qualifying ratings are known, the RMSE of results.txt beside two
baselines (every prediction the global mean; every prediction the movie's mean).

The data (one of):
  --generate             a generated dataset (make_dataset; the default)
    --ratings N          training ratings to generate (default 2000000)
    --users U            users to generate (default: make_dataset's, scaled to N)
    --seed S             seed of the generator (default 1)
  --import CSV           a ratings CSV (userId,movieId,rating,timestamp; import_ratings)
    --movies FILE        its movies file (movieId,title,genres), for the titles
  --raw DIR              an existing raw dataset folder (training_set/, probe.txt,
                         qualifying.txt, movie_titles.txt; qualifying_answers.txt
                         when the true ratings are known); linked, never written

The builders:
  --builder B            the configuration that grows and refines: 4, 5 or 7
                         (default 4): catbuild_B_grow, then catbuild_B
  --start S              how the refinement gets its first members: "grow" (the
                         growing run catbuild_B_grow), "random" (start_members: each
                         category a random quarter of the users), or "auto" (the
                         default: grow with 3000 users or more, else random; a
                         growing run needs far more users than its 1000 slots)
  --means M              the mean-based configuration: 1 or 2 (default 2)

Other:
  --bin DIR              where the programs are (default: this script's folder)
  --tail N               lines of a failing step's log to show (default 20)
  --help                 this text
EOF
}

die_usage() {
  echo "$PROG: $1" >&2
  echo "$PROG: see --help" >&2
  exit 2
}

SOURCE=generate
RATINGS=2000000
USERS=""
SEED=1
CSV=""
MOVIES=""
RAW=""
BUILDER=4
MEANS=2
START=auto
BIN="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TAIL=20
EXP=""

whole() { [[ "$1" =~ ^[0-9]+$ ]]; }

need_value() { [ "$2" -ge 2 ] || die_usage "option $1 needs a value"; }

while [ $# -gt 0 ]; do
  case "$1" in
    --help|-h) usage; exit 0 ;;
    --generate) SOURCE=generate; shift ;;
    --ratings) need_value "$1" $#; whole "$2" && [ "$2" -ge 1 ] || die_usage "--ratings: not a positive whole number: $2"
               RATINGS=$2; shift 2 ;;
    --users) need_value "$1" $#; whole "$2" && [ "$2" -ge 1 ] || die_usage "--users: not a positive whole number: $2"
             USERS=$2; shift 2 ;;
    --seed) need_value "$1" $#; whole "$2" || die_usage "--seed: not a whole number: $2"
            SEED=$2; shift 2 ;;
    --import) need_value "$1" $#; SOURCE=import; CSV=$2; shift 2 ;;
    --movies) need_value "$1" $#; MOVIES=$2; shift 2 ;;
    --raw) need_value "$1" $#; SOURCE=raw; RAW=$2; shift 2 ;;
    --builder) need_value "$1" $#
               case "$2" in 4|5|7) BUILDER=$2 ;;
                 *) die_usage "--builder: must be 4, 5 or 7 (the configurations whose member files fit their refinement run): $2" ;;
               esac; shift 2 ;;
    --start) need_value "$1" $#
             case "$2" in grow|random|auto) START=$2 ;; *) die_usage "--start: must be grow, random or auto: $2" ;; esac; shift 2 ;;
    --means) need_value "$1" $#
             case "$2" in 1|2) MEANS=$2 ;; *) die_usage "--means: must be 1 or 2: $2" ;; esac; shift 2 ;;
    --bin) need_value "$1" $#; BIN=$2; shift 2 ;;
    --tail) need_value "$1" $#; whole "$2" || die_usage "--tail: not a whole number: $2"
            TAIL=$2; shift 2 ;;
    --) shift; break ;;
    -*) die_usage "unknown option: $1" ;;
    *) [ -z "$EXP" ] || die_usage "more than one experiment folder: $EXP and $1"
       EXP=$1; shift ;;
  esac
done
if [ $# -gt 0 ]; then
  [ -z "$EXP" ] && [ $# -eq 1 ] || die_usage "more than one experiment folder"
  EXP=$1
fi
[ -n "$EXP" ] || die_usage "no experiment folder given"
[ -z "$MOVIES" ] || [ "$SOURCE" = import ] || die_usage "--movies goes with --import"

# Inputs and programs are checked before anything is written.
case "$SOURCE" in
  import) [ -f "$CSV" ] || die_usage "--import: no such file: $CSV"
          [ -z "$MOVIES" ] || [ -f "$MOVIES" ] || die_usage "--movies: no such file: $MOVIES"
          CSV="$(cd "$(dirname "$CSV")" && pwd)/$(basename "$CSV")"
          [ -z "$MOVIES" ] || MOVIES="$(cd "$(dirname "$MOVIES")" && pwd)/$(basename "$MOVIES")" ;;
  raw) [ -d "$RAW/training_set" ] || die_usage "--raw: not a raw dataset folder (no training_set/): $RAW"
       for f in probe.txt qualifying.txt movie_titles.txt; do
         [ -f "$RAW/$f" ] || die_usage "--raw: $RAW has no $f"
       done
       RAW="$(cd "$RAW" && pwd)" ;;
esac

if [ -e "$EXP" ]; then
  [ -d "$EXP" ] || die_usage "not a folder: $EXP"
  [ -z "$(ls -A "$EXP")" ] || die_usage "the experiment folder is not empty: $EXP"
fi

[ -d "$BIN" ] || die_usage "--bin: no such folder: $BIN"
BIN="$(cd "$BIN" && pwd)"
PROGRAMS="pack_training movie_rmse prepare_inputs catbuild_${BUILDER}_grow catbuild_${BUILDER}
catbuild_${MEANS} bin_test predict_qualifying predict_qualifying_prepare errreport errreport_b
score_results start_members"
case "$SOURCE" in
  generate) PROGRAMS="make_dataset $PROGRAMS" ;;
  import) PROGRAMS="import_ratings $PROGRAMS" ;;
esac
for p in $PROGRAMS; do
  [ -x "$BIN/$p" ] || { echo "$PROG: program $p not found in $BIN (build the toolkit first)" >&2; exit 2; }
done

mkdir -p "$EXP" || exit 2
EXP="$(cd "$EXP" && pwd)"

WORK=$EXP/work
DRIVE_C=$EXP/drive_c
DATASET=$DRIVE_C/ratinglab/dataset
LOGS=$EXP/logs
REPORTS=$EXP/reports
mkdir -p "$WORK/data" "$DATASET" "$LOGS" "$REPORTS" || exit 2
export RATINGLAB_DRIVE_C=$DRIVE_C

STEP_NO=0
RUN_START=$EPOCHREALTIME
STEP_NAME=""
STEP_LOG=""

seconds_since() {  # elapsed seconds since an $EPOCHREALTIME value, one decimal
  awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'
}

# Stops the run: the step's name, why, and the last lines of its log and stderr.
fail_step() {
  echo
  echo "$PROG: step $STEP_NAME failed: $1" >&2
  if [ -n "$STEP_LOG" ]; then
    for f in "$STEP_LOG.log" "$STEP_LOG.err"; do
      if [ -s "$f" ]; then
        echo "$PROG: last lines of ${f#"$EXP"/}:" >&2
        tail -n "$TAIL" "$f" | tr -d '\r' | sed 's/^/    /' >&2
      fi
    done
  fi
  exit 1
}

begin_step() {  # NAME
  STEP_NO=$((STEP_NO + 1))
  STEP_NAME=$1
  STEP_LOG=$(printf '%s/%02d_%s' "$LOGS" "$STEP_NO" "$1")
  STEP_START=$EPOCHREALTIME
  printf 'step %2d  %-28s' "$STEP_NO" "$1"
}

end_step() {
  printf '%7s s   (%s s in all)\n' "$(seconds_since "$STEP_START")" "$(seconds_since "$RUN_START")"
}

# run_step NAME FOLDER PROGRAM ARGS...: the program in FOLDER, stdin /dev/null,
# stdout to the step's .log and stderr to its .err.
run_step() {
  local name=$1 dir=$2 prog=$3
  shift 3
  begin_step "$name"
  (cd "$dir" && exec "$BIN/$prog" "$@") </dev/null >"$STEP_LOG.log" 2>"$STEP_LOG.err"
  local status=$?
  [ $status -eq 0 ] || fail_step "$prog exited with status $status"
}

# The stated size of an output, checked once its step has run.
expect_size() {  # FILE BYTES
  [ -f "$1" ] || fail_step "${1#"$EXP"/} was not written"
  local size
  size=$(wc -c <"$1" | tr -d ' ')
  [ "$size" = "$2" ] || fail_step "${1#"$EXP"/} is $size bytes, expected $2"
}

int32_at() {  # FILE BYTE_OFFSET: a little-endian int32
  od -An -t d4 -j "$2" -N 4 "$1" | tr -d ' '
}

# NUSERS / 4 rounded to the nearest integer, ties to even.
quarter() {
  local q=$(($1 / 4)) r=$(($1 % 4))
  if [ $r -eq 3 ] || { [ $r -eq 2 ] && [ $((q % 2)) -eq 1 ]; }; then q=$((q + 1)); fi
  echo $q
}

# --- the data ------------------------------------------------------------------------
case "$SOURCE" in
  generate)
    args=("$EXP/download" --ratings "$RATINGS" --seed "$SEED")
    [ -z "$USERS" ] || args+=(--users "$USERS")
    run_step make_dataset "$EXP" make_dataset "${args[@]}" ;;
  import)
    args=("$CSV" "$EXP/download")
    [ -z "$MOVIES" ] || args+=(--movies "$MOVIES")
    run_step import_ratings "$EXP" import_ratings "${args[@]}" ;;
  raw)
    begin_step link_raw
    ln -s "$RAW" "$EXP/download" || fail_step "cannot link $RAW"
    STEP_LOG="" ;;
esac
for f in probe.txt qualifying.txt movie_titles.txt; do
  [ -f "$EXP/download/$f" ] || fail_step "download/$f was not written"
done
[ -d "$EXP/download/training_set" ] || fail_step "download/training_set/ was not written"
end_step
ANSWERS=""
[ -f "$EXP/download/qualifying_answers.txt" ] && ANSWERS=$EXP/download/qualifying_answers.txt

# --- packed training chain ---------------------------------------------------------
run_step pack_training "$WORK" pack_training
N=$(wc -c <"$WORK/data/ratingmovie.dat" 2>/dev/null | tr -d ' ')
[ -n "$N" ] || fail_step "data/ratingmovie.dat was not written"
expect_size "$WORK/data/moviestarts.dat" 71084
expect_size "$WORK/data/userids.dat" $((4 * N))
expect_size "$WORK/data/userstarts.dat" 1920760
expect_size "$WORK/data/movieids.dat" $((2 * N))
expect_size "$WORK/data/ratinguser.dat" "$N"
expect_size "$WORK/data/longuserids.dat" 10597716
expect_size "$WORK/data/sdates.dat" $((2 * N))
[ "$(int32_at "$WORK/data/moviestarts.dat" 71080)" = "$N" ] || fail_step "data/moviestarts.dat does not end with N = $N"
end_step

run_step movie_rmse "$WORK" movie_rmse
expect_size "$WORK/data/rmseStart.dat" 2136
expect_size "$WORK/data/rmseMoviesPrimary.dat" 1066
T=$(int32_at "$WORK/data/rmseStart.dat" 2132)
expect_size "$WORK/data/rmse.dat" $((4 * T))
expect_size "$WORK/data/rmseMovies.dat" $((2 * T))
end_step

# --- category chain ----------------------------------------------------------------
run_step prepare_inputs "$WORK" prepare_inputs ../download
U=$(int32_at "$DATASET/userdata1.dat" 8)
R=$(int32_at "$DATASET/userdata1.dat" 4)
A=$(int32_at "$DATASET/userdata1.dat" 0)
[ -n "$U" ] && [ -n "$R" ] && [ -n "$A" ] || fail_step "userdata1.dat has no header"
[ "$R" = "$N" ] || fail_step "userdata1.dat holds $R ratings where pack_training packed $N"
expect_size "$DATASET/userdata1.dat" $((16 + 4 * U + 3 * R))
expect_size "$DATASET/shortuserids2.dat" 10597716
expect_size "$DATASET/statistics.dat" 3912596
expect_size "$DATASET/movieend.dat" 71084
expect_size "$DATASET/scores.dat" "$R"
expect_size "$DATASET/userids2.dat" $((4 * R))
[ -f "$DATASET/movienames.dat" ] || fail_step "movienames.dat was not written"
[ -f "$DATASET/qualifying.txt" ] || fail_step "qualifying.txt was not written"
PA=$(int32_at "$WORK/probe.dat" 0)
PB=$(int32_at "$WORK/probe.dat" 4)
expect_size "$WORK/probe.dat" $((16 + 8 * PA + 5 * PB))
read -r QM QQ < <(awk '/:/ { m++; next } /[0-9]/ { q++ } END { print m + 0, q + 0 }' "$EXP/download/qualifying.txt")
expect_size "$WORK/predictdata.dat" $((4 * (2 * QM + 2 + QQ)))
[ -d "$WORK/dataset" ] || fail_step "the dataset entry of the working folder was not made"
end_step

NCAT=32
SLOTS=$(quarter "$U")
MEMBERS_SIZE=$((4 * NCAT * SLOTS))
WEIGHTS_SIZE=$((4 + NCAT * A + 4 * U * NCAT))

if [ "$START" = auto ]; then
  if [ "$U" -ge 3000 ]; then START=grow; else START=random; fi
fi
if [ "$START" = grow ]; then
  # The growing run ends by writing catbinweights1.dat in the shape of its rounds,
  # 32 x NUSERS/4, which is the shape the refinement run reads as catbinweights2.dat.
  run_step "catbuild_${BUILDER}_grow" "$WORK" "catbuild_${BUILDER}_grow"
  expect_size "$DATASET/catbinweights1.dat" $MEMBERS_SIZE
  expect_size "$DATASET/weights.dat" $WEIGHTS_SIZE
  end_step

  begin_step copy_members_1_to_2
  STEP_LOG=""
  cp "$DATASET/catbinweights1.dat" "$DATASET/catbinweights2.dat" || fail_step "cannot copy catbinweights1.dat to catbinweights2.dat"
  end_step
else
  run_step start_members "$WORK" start_members "$DATASET/userdata1.dat" "$DATASET/catbinweights2.dat" "$SEED"
  expect_size "$DATASET/catbinweights2.dat" $MEMBERS_SIZE
  end_step
fi

run_step "catbuild_${BUILDER}" "$WORK" "catbuild_${BUILDER}"
expect_size "$DATASET/catbinweights2.dat" $MEMBERS_SIZE
expect_size "$DATASET/weights.dat" $WEIGHTS_SIZE
end_step

# The mean-based run describes the refined categories: their member file, which has
# the 32 x NUSERS/4 shape it reads, under the name it reads.
begin_step copy_members_2_to_1
STEP_LOG=""
cp "$DATASET/catbinweights2.dat" "$DATASET/catbinweights1.dat" || fail_step "cannot copy catbinweights2.dat to catbinweights1.dat"
end_step

run_step "catbuild_${MEANS}" "$WORK" "catbuild_${MEANS}"
expect_size "$DATASET/weightsb.dat" $((4 + 2 * U * NCAT + 2 * NCAT * A + 4 * U * NCAT + 2 * NCAT * A))
end_step

run_step bin_test "$WORK" bin_test
expect_size "$DATASET/swapn2.dat" $((24 * U * NCAT))
end_step

if [ "$QM" = 17470 ] && [ "$QQ" = 2817131 ]; then
  run_step predict_qualifying "$WORK" predict_qualifying
else
  # Another qualifying shape: the counting and parsing passes take it from the text.
  run_step predict_qualifying_prepare "$WORK" predict_qualifying_prepare
  expect_size "$WORK/predictdata.dat" $((4 * (2 * QM + 2 + QQ)))
fi
[ -f "$WORK/results.txt" ] || fail_step "results.txt was not written"
LINES=$(wc -l <"$WORK/results.txt" | tr -d ' ')
[ "$LINES" = $((QM + QQ)) ] || fail_step "results.txt has $LINES lines, expected $((QM + QQ))"
end_step

report() {  # NAME PROGRAM MODEL
  run_step "$1" "$WORK" "$2" "$3"
  mkdir -p "$REPORTS/$2"
  for f in errorbyrating.txt errorbysize.txt; do
    [ -f "$DATASET/$f" ] || fail_step "$f was not written"
    cp "$DATASET/$f" "$REPORTS/$2/$f" || fail_step "cannot copy $f"
  done
  end_step
}
report errreport errreport weights
report errreport_b errreport_b weightsb

# --- summary -----------------------------------------------------------------------
begin_step score_results
{
  echo "report errreport (weights.dat):"
  "$BIN/score_results" report "$REPORTS/errreport/errorbyrating.txt" || exit 1
  echo "report errreport_b (weightsb.dat):"
  "$BIN/score_results" report "$REPORTS/errreport_b/errorbyrating.txt" || exit 1
  if [ -n "$ANSWERS" ]; then
    "$BIN/score_results" qualifying "$WORK/results.txt" "$ANSWERS" "$DATASET/userdata1.dat" || exit 1
  fi
} </dev/null >"$STEP_LOG.log" 2>"$STEP_LOG.err" || fail_step "score_results failed"
end_step

{
  echo
  echo "Experiment done in $(seconds_since "$RUN_START") s: $EXP"
  echo "  data:          $U users, $R training ratings, $PB probe ratings, $QQ qualifying queries ($SOURCE)"
  if [ "$START" = grow ]; then
    echo "  builders:      catbuild_${BUILDER}_grow, catbuild_${BUILDER}, catbuild_${MEANS}"
  else
    echo "  builders:      start_members (random), catbuild_${BUILDER}, catbuild_${MEANS}"
  fi
  echo "  predictions:   work/results.txt"
  echo "  model files:   drive_c/ratinglab/dataset/weights.dat, weightsb.dat, swapn2.dat"
  echo "  reports:       reports/errreport/ and reports/errreport_b/ (errorbyrating.txt, errorbysize.txt)"
  echo "  logs:          logs/"
  awk '/^report / { name = $2; next }
       /^probe RMSE/ { sub(/^probe RMSE: /, ""); printf "  probe RMSE of %-13s %s\n", name ":", $0 }' "$STEP_LOG.log"
  if [ -n "$ANSWERS" ]; then
    grep -v '^report \|^probe RMSE' "$STEP_LOG.log" | sed 's/^/  /'
  else
    echo "  (no qualifying_answers.txt: the qualifying predictions cannot be scored)"
  fi
} | tee "$EXP/summary.txt"
exit 0
