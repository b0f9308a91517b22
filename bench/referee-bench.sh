#!/usr/bin/env bash
# Referee benchmark: what fiverow-match adds to a move, and what playing games
# at once gains. Each round times, one after another,
#   - the bare fiverow run (fiverow-process-timer on bench/midgame/, median),
#   - a self-play match of GAMES games at --concurrency 1,
#   - the same match at --concurrency 2,
#   - the same bare runs, two streams at once,
# and the figures are the medians over the rounds:
#   overhead  per-move wall time of the match at --concurrency 1 (its wall
#             time over its moves) against the bare run; target below 15%
#   speed-up  games per second at --concurrency 2 against --concurrency 1;
#             target at least 1.7 on two cores
#   bare      runs per second of two bare streams at once against one: the
#             most that running engines at once can gain on this machine
#
# With BASELINE_MATCH (another build of fiverow-match, e.g. an earlier
# commit's), each round also plays both matches under it, and the figures of
# both builds are printed, measured in the same run.
#
# usage: bench/referee-bench.sh [GAMES] [ROUNDS] [BUILD_DIR] [BASELINE_MATCH]
#   GAMES           games per match, default 40
#   ROUNDS          rounds, default 5
#   BUILD_DIR       an already configured build tree; default: the release
#                   preset's, configured here if needed
#   BASELINE_MATCH  a fiverow-match to compare with
set -euo pipefail
. "$(dirname "$0")/common.sh"
games="${1:-40}"
rounds="${2:-5}"
baseline="${4:+$(realpath "$4")}"

use_build "${3:-}" fiverow fiverow-match fiverow-floor fiverow-process-timer

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/bench/midgame/Plocha.dat" "$root/bench/midgame/Tah.dat" "$work/"

now() { date +%s%N; }

# timer FOLDER: 242 bare runs of fiverow in FOLDER (a copy of the midgame
# position), 200 of them timed in two alternating series of 100 (the timer
# compares two programs; here both are fiverow); prints the first series'
# median in us.
timer() {
  "$build/bench/fiverow-process-timer" 100 "$1" "$build/fiverow" "$build/fiverow" |
    awk '$1 == "fiverow" && $2 == "median" { print $3; exit }'
}

# match CONCURRENCY [REFEREE]: a self-play match of fiverow; prints its wall
# time in ns, and leaves its output in $work/out.
match() {
  local start
  start=$(now)
  "${2:-$build/fiverow-match}" --games "$games" --seed 1 --concurrency "$1" \
    "$build/fiverow" "$build/fiverow" >"$work/out"
  echo $(($(now) - start))
}

mkdir "$work/second"
cp "$work"/*.dat "$work/second/"
bare=() alone=() both=() one=() two=() oldOne=() oldTwo=()
for ((round = 1; round <= rounds; round++)); do
  start=$(now)
  bare+=("$(timer "$work")")
  alone+=($(($(now) - start)))
  start=$(now)
  timer "$work" >/dev/null &
  timer "$work/second" >/dev/null
  wait
  both+=($(($(now) - start)))
  one+=("$(match 1)")
  moves=$(grep -o 'after [0-9]* move' "$work/out" | awk '{ n += $2 } END { print n }')
  two+=("$(match 2)")
  if [[ -n $baseline ]]; then
    oldOne+=("$(match 1 "$baseline")")
    oldTwo+=("$(match 2 "$baseline")")
  fi
  echo "round $round: bare run ${bare[-1]} us; bare runs $((alone[-1] / 1000000)) ms alone," \
    "$((both[-1] / 1000000)) ms twice at once; match $((one[-1] / 1000000)) ms at" \
    "--concurrency 1, $((two[-1] / 1000000)) ms at 2 ($moves moves)" >&2
done

m() { printf '%s\n' "$@" | median; }
if [[ -n $baseline ]]; then
  awk -v bare="$(m "${bare[@]}")" -v alone="$(m "${alone[@]}")" -v both="$(m "${both[@]}")" \
    -v one="$(m "${oldOne[@]}")" -v two="$(m "${oldTwo[@]}")" -v moves="$moves" 'BEGIN {
    move = one / moves / 1000
    printf "baseline: per move %.1f us, overhead %+.1f%%; speed-up at 2 %.2f, %.0f%% of the bare runs'"'"' %.2f\n",
      move, (move / bare - 1) * 100, one / two, 100 * (one / two) / (2 * alone / both), 2 * alone / both
  }'
  echo "this build:"
fi
awk -v bare="$(m "${bare[@]}")" -v alone="$(m "${alone[@]}")" -v both="$(m "${both[@]}")" \
  -v one="$(m "${one[@]}")" -v two="$(m "${two[@]}")" -v moves="$moves" -v games="$games" \
  -v rounds="$rounds" 'BEGIN {
  move = one / moves / 1000
  printf "%d rounds of %d games (%d moves), medians\n", rounds, games, moves
  printf "bare fiverow run          %8.1f us\n", bare
  printf "per move, concurrency 1   %8.1f us   overhead %+.1f%%\n", move, (move / bare - 1) * 100
  printf "games/s, concurrency 1    %8.1f\n", games / (one / 1e9)
  printf "games/s, concurrency 2    %8.1f      speed-up %.2f\n", games / (two / 1e9), one / two
  printf "bare runs, two at once               speed-up %.2f (what the machine allows)\n",
    2 * alone / both
  printf "speed-up at 2 over what the machine allows: %.0f%%\n", 100 * (one / two) / (2 * alone / both)
}'
