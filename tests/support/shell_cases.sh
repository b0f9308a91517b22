# What the shell suites share (sourced):
# a case fails by `fail MESSAGE...` and is counted by `finish_case NAME`, in
# $passed and $failed.

fail() {
  case_failed=1
  printf '    %s\n' "$@"
}

finish_case() {
  if [[ -n $case_failed ]]; then
    printf 'FAIL  %s\n' "$1"
    failed=$((failed + 1))
  else
    printf 'ok    %s\n' "$1"
    passed=$((passed + 1))
  fi
}

# leftovers NAME=VALUE: the live processes whose environment holds NAME=VALUE,
# i.e. everything the referee started for a case, not yet reaped.
leftovers() {
  grep -las -- "$1" /proc/[0-9]*/environ | cut -d/ -f3 |
    while read -r pid; do
      [[ $(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) == Z ]] || echo "$pid"
    done
}
