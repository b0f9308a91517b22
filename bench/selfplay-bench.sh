#!/usr/bin/env bash
# Pipe self-play benchmark: pbrain-fiverow against itself, GAMES games from
# one opening, one game at a time, under two referees in the same run:
# BASELINE (another build of fiverow-match, e.g. an earlier commit's) and
# this build's. The runs alternate, so that both see the same machine; the
# figures are the medians over the rounds, and the speed-up is the
# baseline's median over this build's.
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
run() { # run MATCH: the match's wall time in seconds
  local start end
  start=$(date +%s%N)
  (cd "$work" && "$1" --games "$games" --opening "3,2 4,4 5,5 3,6" --show none \
    pbrain-fiverow pbrain-fiverow >/dev/null)
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }'
}

run "$baseline" >/dev/null # warm-up
run "$current" >/dev/null
for ((round = 1; round <= rounds; round++)); do
  run "$baseline" >>"$work/baseline"
  run "$current" >>"$work/current"
done
old=$(median <"$work/baseline")
new=$(median <"$work/current")
echo "baseline: median ${old} s for $games games ($baseline)"
echo "this build: median ${new} s for $games games ($current)"
awk -v a="$old" -v b="$new" 'BEGIN { printf "speed-up: %.2f\n", a / b }'
