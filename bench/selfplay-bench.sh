#!/usr/bin/env bash
# Pipe self-play benchmark: pbrain-fiverow against itself, GAMES games from
# one opening, one game at a time, under three referees in the same run:
# BASELINE (another build of fiverow-match, e.g. an earlier commit's), this
# build's, and this build's with --pin (each game held to one CPU); and the
# same games under fiverow-pipe-floor, which only passes the moves on and
# pauses the engine not to move (the "floor" rows, unpinned and pinned): no
# referee that keeps the pause can be cheaper. The runs alternate, so that
# all see the same machine; the figures are the medians over the rounds of
# the wall time and of the CPU time (user + system of the referee and its
# engines), also per engine move, and the speed-ups are the baseline's
# medians over each one's.
#
# Then, once per referee, a match of TRACED games under strace -f -c, where
# strace runs, gives the system calls per engine move (the referee's and the
# engines' together) by call.
#
# usage: bench/selfplay-bench.sh BASELINE_MATCH [GAMES] [ROUNDS] [BUILD_DIR] [TRACED]
#   BASELINE_MATCH  the fiverow-match to compare with (its pbrain-fiverow
#                   is the one beside it)
#   GAMES           games per match, default 40
#   ROUNDS          rounds, default 7
#   BUILD_DIR       an already configured build tree; default: the release
#                   preset's, configured here if needed
#   TRACED          games of the traced matches, default 20; 0 for none
# The environment's MATCH_OPTIONS, if any, are given to every referee, e.g.
# MATCH_OPTIONS="--max-memory 350" for engines measured against a budget.
set -euo pipefail
. "$(dirname "$0")/common.sh"
(($# >= 1)) || {
  echo "usage: $0 BASELINE_MATCH [GAMES] [ROUNDS] [BUILD_DIR] [TRACED]" >&2
  exit 2
}
baseline="$(realpath "$1")"
games="${2:-40}"
rounds="${3:-7}"
use_build "${4:-}" fiverow-match pbrain-fiverow fiverow-pipe-floor
traced="${5:-20}"
current="$(realpath "$build")/fiverow-match"
floor="$(realpath "$build")/bench/fiverow-pipe-floor"
opening="3,2 4,4 5,5 3,6"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# What is measured, a name each: the referees (fiverow-match and its options),
# then the floors.
names=(baseline "this build" "this build --pin" "floor" "floor, pinned")
options="${MATCH_OPTIONS:-}"
commands=("$baseline $options" "$current $options" "$current --pin $options")
floors=("$floor $games 1 --pause" "$floor $games 1 --pause --pin")

# match COMMAND GAMES [PREFIX...]: plays the match in $work, under PREFIX
match() {
  local command=$1 count=$2
  shift 2
  # shellcheck disable=SC2086 # the command's words
  (cd "$work" && "$@" $command --games "$count" --opening "$opening" --show none \
    pbrain-fiverow pbrain-fiverow >"$work/out")
}
run() { # run I: the wall time and CPU time (the engines' included) in seconds of the I-th
  if (($1 < ${#commands[@]})); then
    match "${commands[$1]}" "$games" /usr/bin/time -f '%e %U %S' -o "$work/time"
  else
    # shellcheck disable=SC2086 # the command's words
    /usr/bin/time -f '%e %U %S' -o "$work/time" ${floors[$1 - ${#commands[@]}]} >/dev/null
  fi
  awk '{ print $1, $2 + $3 }' "$work/time"
}

for i in "${!names[@]}"; do run "$i" >/dev/null; done # warm-up
(cd "$work" && "$current" --games 1 --opening "$opening" pbrain-fiverow pbrain-fiverow) >"$work/one"
# The opening's stones are not counted: these are the engines' moves.
moves=$(grep -o 'after [0-9]* move' "$work/one" | awk '{ print $2 }')
for ((round = 1; round <= rounds; round++)); do
  for i in "${!names[@]}"; do run "$i" >>"$work/times$i"; done
done

echo "$games games of $moves engine moves, one at a time; medians of $rounds rounds"
for i in "${!names[@]}"; do
  wall=$(cut -d' ' -f1 "$work/times$i" | median)
  cpu=$(cut -d' ' -f2 "$work/times$i" | median)
  echo "$wall $cpu" >"$work/median$i"
  read -r oldWall oldCpu <"$work/median0"
  awk -v label="${names[$i]}" -v wall="$wall" -v cpu="$cpu" -v games="$games" -v moves="$moves" \
    -v oldWall="$oldWall" -v oldCpu="$oldCpu" 'BEGIN {
      printf "%-17s %7.3f s wall %7.3f s CPU; per move %6.1f us wall %6.1f us CPU; speed-up %.2f wall, %.2f CPU\n",
        label, wall, cpu, 1e6 * wall / (games * moves), 1e6 * cpu / (games * moves), oldWall / wall, oldCpu / cpu }'
done
echo "referees: ${commands[*]}"
echo "floors: ${floors[*]}"

((traced > 0)) || exit 0
command -v strace >/dev/null || exit 0
echo
echo "system calls per engine move, the referee's and its engines', $traced games each:"
for i in "${!commands[@]}"; do
  match "${commands[$i]}" "$traced" strace -f -c -o "$work/strace$i" || exit 0
done
# One line per system call made at least once every ten moves by any referee.
awk -v n=$((traced * moves)) -v referees=${#commands[@]} '
  FNR == 1 { file++ }
  $1 ~ /^[0-9.]+$/ && $4 ~ /^[0-9]+$/ {
    if ($NF == "total") { total[file] = $4; next }
    count[$NF, file] = $4; seen[$NF] = 1
  }
  END {
    printf "%-16s", "system calls"
    for (f = 1; f <= referees; f++) printf " %9s", f == 1 ? "baseline" : f == 2 ? "this" : "this+pin"
    printf "\n"
    for (call in seen) {
      keep = 0
      for (f = 1; f <= referees; f++) if (count[call, f] / n >= 0.1) keep = 1
      if (!keep) continue
      printf "%-16s", call
      for (f = 1; f <= referees; f++) printf " %9.2f", count[call, f] / n
      printf "\n"
    }
    printf "%-16s", "all"
    for (f = 1; f <= referees; f++) printf " %9.2f", total[f] / n
    printf "\n"
  }' "$work"/strace0 "$work"/strace1 "$work"/strace2
