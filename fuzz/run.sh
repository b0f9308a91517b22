#!/usr/bin/env bash
# Builds the fuzz target (preset `fuzz`, clang 14) and runs it for SECONDS
# seconds (default 60), starting from the seed corpus in fuzz/corpus. New
# inputs go to build/fuzz/corpus, findings to build/fuzz/findings/; the exit
# status is non-zero when the fuzzer found anything.
#   fuzz/run.sh [SECONDS] [extra libFuzzer flags...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true

cd "$root"
cmake --workflow --preset fuzz >/dev/null
build="$root/build/fuzz"
mkdir -p "$build/corpus" "$build/findings"
"$build/fuzz/fiverow_fuzz" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/findings/" "$@" "$build/corpus" "$root/fuzz/corpus"
