#!/usr/bin/env bash
# Formats every C and C++ source of fiverow with the checked-in .clang-format.
#   scripts/format.sh          rewrite the files in place
#   scripts/format.sh --check  change nothing; list unformatted files, exit 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-$(command -v clang-format || command -v clang-format-14 || true)}
if [[ -z "$clang_format" ]]; then
  echo "format.sh: clang-format not found (Debian: apt-get install clang-format)" >&2
  exit 2
fi
mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.c')
if [[ "${1:-}" == "--check" ]]; then
  bad=0
  for file in "${files[@]}"; do
    if ! "$clang_format" --style=file "$file" | cmp -s - "$file"; then
      echo "not formatted: $file (run scripts/format.sh)"
      bad=1
    fi
  done
  exit "$bad"
fi
"$clang_format" --style=file -i "${files[@]}"
