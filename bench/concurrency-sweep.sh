#!/usr/bin/env bash
# Concurrency sweep: what fiverow-match gains from playing games at once, for
# both protocols, against what the machine allows. For each N of 1 2 4 8 16,
# each round times
#   - bare runs: RUNS runs of fiverow on bench/midgame/, split over N shell
#     loops at once (the ceiling: no referee at all),
#   - a file-engine match: FILE_GAMES games of fiverow against itself,
#     --seed 10, --concurrency N,
#   - a pipe-engine match: PIPE_GAMES games of pbrain-fiverow against itself
#     from one opening, --concurrency N,
#   - the same with --pin (each game held to one CPU): the "pinned" rows,
#   - the same games under fiverow-pipe-floor --pause, which only passes the
#     moves on and pauses the engine not to move: the "floor" rows, the
#     least any referee that keeps the pause can spend,
# and prints the medians over the rounds: wall time, CPU (user + system of
# the referee and everything it ran) per game, the speed-up over N = 1, and
# that speed-up as a share of the bare runs' speed-up at the same N. CPU per
# game that grows with N is work the referee shares between its games.
#
# usage: bench/concurrency-sweep.sh [ROUNDS] [FILE_GAMES] [PIPE_GAMES] [RUNS] [BUILD_DIR]
#   defaults: 3 rounds, 160 file games, 400 pipe games, 1600 bare runs;
#   BUILD_DIR an already configured build tree, default the release preset's
set -euo pipefail
. "$(dirname "$0")/common.sh"
rounds="${1:-3}"
fileGames="${2:-160}"
pipeGames="${3:-400}"
runs="${4:-1600}"
use_build "${5:-}" fiverow pbrain-fiverow fiverow-match fiverow-pipe-floor
build="$(realpath "$build")"
levels=(1 2 4 8 16)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for ((loop = 0; loop < 16; loop++)); do
  mkdir "$work/folder$loop"
  cp "$root/bench/midgame/Plocha.dat" "$root/bench/midgame/Tah.dat" "$work/folder$loop/"
done

# measure NAME COMMAND...: appends "wall_seconds cpu_seconds" of COMMAND to
# $work/NAME.
measure() {
  local name=$1
  shift
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null
  awk '{ print $1, $2 + $3 }' "$work/time" >>"$work/times-$name"
}

bare() { # bare N
  local loop
  for ((loop = 0; loop < $1; loop++)); do
    (cd "$work/folder$loop" && for ((i = 0; i < runs / $1; i++)); do "$build/fiverow" >/dev/null; done) &
  done
  wait
}
export -f bare
export work runs build

for ((round = 1; round <= rounds; round++)); do
  for n in "${levels[@]}"; do
    measure "bare$n" bash -c "bare $n"
    measure "file$n" "$build/fiverow-match" --show none --concurrency "$n" --games "$fileGames" \
      --seed 10 fiverow fiverow
    measure "pipe$n" "$build/fiverow-match" --show none --concurrency "$n" --games "$pipeGames" \
      --opening "3,2 4,4 5,5 3,6" pbrain-fiverow pbrain-fiverow
    measure "pinned$n" "$build/fiverow-match" --show none --concurrency "$n" --games "$pipeGames" \
      --opening "3,2 4,4 5,5 3,6" --pin pbrain-fiverow pbrain-fiverow
    measure "floor$n" "$build/bench/fiverow-pipe-floor" "$pipeGames" "$n" --pause
  done
  echo "round $round of $rounds done" >&2
done

med() { cut -d" " -f"$2" "$work/times-$1" | median; } # med NAME FIELD: its median
echo "$rounds rounds, medians; $runs bare runs, $fileGames file games, $pipeGames pipe games"
printf '%-6s %3s %9s %12s %9s %9s %9s\n' what N "wall s" "CPU ms/game" speed-up ceiling share
for what in bare file pipe pinned floor; do
  games=$runs
  [[ $what == file ]] && games=$fileGames
  [[ $what == pipe || $what == pinned || $what == floor ]] && games=$pipeGames
  for n in "${levels[@]}"; do
    awk -v what="$what" -v n="$n" -v wall="$(med "$what$n" 1)" -v cpu="$(med "$what$n" 2)" \
      -v one="$(med "${what}1" 1)" -v bareOne="$(med bare1 1)" \
      -v bareN="$(med "bare$n" 1)" -v games="$games" 'BEGIN {
      up = one / wall; ceiling = bareOne / bareN
      printf "%-6s %3d %9.2f %12.2f %9.2f %9.2f %8.0f%%\n", what, n, wall, 1000 * cpu / games, up, ceiling, 100 * up / ceiling
    }'
  done
done
