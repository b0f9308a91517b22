#!/usr/bin/env bash
# How late the Windows referee's waits wake, under wine or on Windows (Git
# Bash): fiverow-wait-wake's waits of 1 ms, then what a match charges an
# engine that thinks 1 ms a move (the median move the summary shows), beside
# one that answers at once. Waits that woke at the system timer's tick would
# show about 15 ms.
#
# usage: bench/wait-wake.sh [ROUNDS] [BUILD_DIR]
#   ROUNDS     waits of each kind, default 200
#   BUILD_DIR  a configured Windows build tree; default: the windows preset's
set -euo pipefail
. "$(dirname "$0")/common.sh"
rounds="${1:-200}"
build="${2:-$root/build/windows}"
[[ -d $build ]] || (cd "$root" && cmake --preset windows >/dev/null)
cmake --build "$build" --parallel 2 \
  --target fiverow-wait-wake fiverow-match fiverow_fake_engine >/dev/null
runner=()
if [[ $(uname -s) == Linux ]]; then
  runner=(wine)
  export WINEPREFIX="${WINEPREFIX:-$build/tests/e2e/wine}" WINEDEBUG=-all
fi

"${runner[@]}" "$build/bench/fiverow-wait-wake.exe" "$rounds" | tr -d '\r'

fake="$build/tests/windows/fiverow_fake_engine.exe"
echo
echo "a match of 4 games, the median move of each engine (A thinks 1 ms):"
"${runner[@]}" "$build/fiverow-match.exe" --games 4 --draw-after 40 \
  "pipe:$fake pipe slow 1" "pipe:$fake pipe legal" </dev/null 2>/dev/null |
  tr -d '\r' | grep -E '^(engine|A|B) ' | sed -E 's/  command$//; s/  pipe:.*$//'
