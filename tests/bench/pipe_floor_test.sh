#!/usr/bin/env bash
# The pipe floor plays the very games the referee plays from the bench
# opening, paused and pinned alike, so their costs per move compare.
# usage: pipe_floor_test.sh FIVEROW_MATCH PBRAIN_FIVEROW FIVEROW_PIPE_FLOOR
set -euo pipefail
match=$1 brain=$2 floor=$3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
"$match" --games 1 --opening "3,2 4,4 5,5 3,6" "$brain" "$brain" >referee
moves=$(grep -o 'after [0-9]* moves' referee | awk '{ print $2 }')
[[ -n "$moves" ]] || { echo "the referee's game did not end in a five"; exit 1; }
for options in "" "--pause" "--pause --pin" "--pause --one-thread"; do
  # shellcheck disable=SC2086 # the options' words
  "$floor" 3 2 $options "$brain" >floor.out
  grep -q "^3 games, $((3 * moves)) engine moves, 2 at once" floor.out ||
    { echo "with options '$options', not 3 games of $moves moves: $(cat floor.out)"; exit 1; }
done
