#!/usr/bin/env bash
# Whole-process benchmark: times complete runs of fiverow against the floor
# program (the game files' I/O alone) on the midgame position in
# bench/midgame/, alternating between the two, and prints both medians and
# their ratio.
#
# usage: bench/process-bench.sh [RUNS] [BUILD_DIR]
#   RUNS       runs of each program, default 300 (at least 200 recommended)
#   BUILD_DIR  an already configured build tree; default: the release preset's,
#              configured here if needed
set -euo pipefail
. "$(dirname "$0")/common.sh"
runs="${1:-300}"
if ((runs < 200)); then
  echo "note: fewer than 200 runs of each give a rough median only" >&2
fi

use_build "${2:-}" fiverow fiverow-floor fiverow-process-timer

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/bench/midgame/Plocha.dat" "$root/bench/midgame/Tah.dat" "$work/"

"$build/bench/fiverow-process-timer" "$runs" "$work" \
  "$build/fiverow" "$build/bench/fiverow-floor"
