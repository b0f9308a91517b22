# What the benchmark scripts share (sourced). Sets $root, the source tree.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# use_build BUILD_DIR TARGET...: sets $build to BUILD_DIR, an already
# configured build tree, or when it is empty to the release preset's,
# configured here if needed; builds the TARGETs there.
use_build() {
  build=$1
  shift
  if [[ -z "$build" ]]; then
    build="$root/build/release"
    (cd "$root" && cmake --preset release >/dev/null)
  fi
  cmake --build "$build" --parallel 2 --target "$@" >/dev/null
}

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
