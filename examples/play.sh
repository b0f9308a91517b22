#!/usr/bin/env bash
# Runs fiverow once on an example position and shows the position and the
# move it chose. The example's own files are left untouched.
# Usage: play.sh FIVEROW [EXAMPLE_DIR]
set -eu
engine=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
example=${2:-$(dirname "$0")/midgame}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$example/Plocha.dat" "$example/Tah.dat" "$work/"

side=$(head -c 1 "$work/Tah.dat")
if [[ $side == o ]]; then plays='the stones not written "o"'; else plays='the "o" stones'; fi
echo "Position ($example/Plocha.dat); Tah.dat begins with \"$side\", so fiverow plays $plays:"
status=0
(cd "$work" && "$engine") || status=$?
if ((status != 0)); then
  echo "fiverow failed with exit status $status"
  exit "$status"
fi
move=$(cat "$work/Tah.dat")
mx=${move%,*} my=${move#*,}
echo
echo "   $(printf '%3d' {0..19})"
y=0
while IFS= read -r line && ((y < 20)); do
  line=${line%$'\r'}
  printf '%3d' "$y"
  for ((x = 0; x < 20; x++)); do
    ch=${line:x:1}
    if ((x == mx && y == my)); then ch='*'; elif [[ $ch == - ]]; then ch='.'; fi
    printf '%3s' "$ch"
  done
  echo
  y=$((y + 1))
done <"$work/Plocha.dat"
echo
echo "fiverow moved: $move  (column $mx, row $my; marked *)"
