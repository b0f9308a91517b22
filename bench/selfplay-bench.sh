#!/usr/bin/env bash
# Pipe self-play benchmark: pbrain-fiverow against itself, GAMES games from
# one opening, one game at a time, under two referees in the same run:
# BASELINE (another build of fiverow-match, e.g. an earlier commit's) and
# this build's. The runs alternate, so that both see the same machine; the
# figures are the medians over the rounds of the wall time and of the CPU
# time (user + system of the referee and its engines), also per engine move,
# and the speed-up is the baseline's median over this build's.
#
# usage: bench/selfplay-bench.sh BASELINE_MATCH [GAMES] [ROUNDS] [BUILD_DIR]
#   BASELINE_MATCH  the fiverow-match to compare with (its pbrain-fiverow
#                   is the one beside it)
#   GAMES           games per match, default 40
#   ROUNDS          rounds, default 7
#   BUILD_DIR       an already configured build tree; default: the release
#                   preset's, configured here if needed
set -euo pipefail
. "$(dirname "$0")/common.sh"
(($# >= 1)) || { echo "usage: $0 BASELINE_MATCH [GAMES] [ROUNDS] [BUILD_DIR]" >&2; exit 2; }
baseline="$(realpath "$1")"
games="${2:-40}"
rounds="${3:-7}"
use_build "${4:-}" fiverow-match
current="$(realpath "$build")/fiverow-match"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
run() { # run MATCH: the match's wall time and CPU time (its engines' included) in seconds
  (cd "$work" && /usr/bin/time -f '%e %U %S' -o "$work/time" "$1" --games "$games" \
    --opening "3,2 4,4 5,5 3,6" --show none pbrain-fiverow pbrain-fiverow >"$work/out")
  awk '{ print $1, $2 + $3 }' "$work/time"
}

run "$baseline" >/dev/null # warm-up
run "$current" >/dev/null
(cd "$work" && "$current" --games 1 --opening "3,2 4,4 5,5 3,6" pbrain-fiverow pbrain-fiverow) >"$work/one"
moves=$(($(grep -o 'after [0-9]* move' "$work/one" | awk '{ print $2 }') - 4))
for ((round = 1; round <= rounds; round++)); do
  run "$baseline" >>"$work/baseline"
  run "$current" >>"$work/current"
done
for build in baseline current; do
  wall=$(cut -d' ' -f1 "$work/$build" | median)
  cpu=$(cut -d' ' -f2 "$work/$build" | median)
  echo "$wall $cpu" >"$work/$build.median"
done
read -r oldWall oldCpu <"$work/baseline.median"
read -r newWall newCpu <"$work/current.median"
report() { # report LABEL WALL CPU MATCH
  awk -v label="$1" -v wall="$2" -v cpu="$3" -v program="$4" -v games="$games" -v moves="$moves" \
    'BEGIN { printf "%s: median %.3f s wall, %.3f s CPU for %d games; per engine move %.1f us wall, %.1f us CPU (%s)\n",
      label, wall, cpu, games, 1e6 * wall / (games * moves), 1e6 * cpu / (games * moves), program }'
}
report baseline "$oldWall" "$oldCpu" "$baseline"
report "this build" "$newWall" "$newCpu" "$current"
awk -v a="$oldWall" -v b="$newWall" -v c="$oldCpu" -v d="$newCpu" \
  'BEGIN { printf "speed-up: %.2f in wall time, %.2f in CPU time\n", a / b, c / d }'
