# What the shell suites share (sourced).
#
# A suite adds each case by `add_case NAME [PLACE]`: its body is the function
# case_NAME, run only where PLACE (e.g. linux or windows) is the suite's, or
# anywhere without one. A suite script takes `--list [PLACE]`, which prints
# the names of the cases that run there, or `--case NAME`, which runs that
# case alone; without either it runs them all.
#
# Within a case, `fail MESSAGE...` fails it and `skip_case REASON` says why
# it cannot run here (a case run alone then ends with status 77, which ctest
# reports as skipped); the cases are counted in $passed and $failed.

case_names=() case_places=()
add_case() {
  case_names+=("$1")
  case_places+=("${2:-}")
}

# cases_of PLACE: the names of the cases that run at PLACE.
cases_of() {
  local i
  for i in "${!case_names[@]}"; do
    [[ -z ${case_places[i]} || ${case_places[i]} == "$1" ]] && echo "${case_names[i]}"
  done
  return 0
}

# case_options "$@": prints the list and exits for --list; for --case NAME
# sets $only_case; $options_taken is the number of words taken.
case_options() {
  only_case= options_taken=0
  if [[ ${1:-} == --list ]]; then
    cases_of "${2:-}"
    exit 0
  fi
  if [[ ${1:-} == --case ]]; then
    only_case=${2:?--case needs a case name}
    options_taken=2
  fi
}

fail() {
  case_failed=1
  printf '    %s\n' "$@"
}

skip_case() {
  case_skipped=1
  printf '    skipped: %s\n' "$*"
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

# run_cases SUITE PLACE: runs the case $only_case, or every case that runs at
# PLACE, as `start_case NAME` (defined by the suite) and then case_NAME; prints
# the tally. Status 0 when every case passed, 77 for a case run alone that
# skipped, 2 for a case it does not have.
run_cases() {
  local suite=$1 place=$2 name ran=
  passed=0 failed=0
  for name in $(cases_of "$place"); do
    [[ -z $only_case || $name == "$only_case" ]] || continue
    ran=1 case_failed= case_skipped=
    start_case "$name"
    "case_$name"
    finish_case "$name"
  done
  if [[ -z $ran ]]; then
    echo "$suite: no case $only_case${place:+ on $place}" >&2
    return 2
  fi
  echo "$suite: $passed passed, $failed failed"
  ((failed == 0)) || return 1
  [[ -z $only_case || -z $case_skipped ]] || return 77
}

# leftovers NAME=VALUE: the live processes whose environment holds NAME=VALUE,
# i.e. everything the referee started for a case, not yet reaped.
leftovers() {
  grep -las -- "$1" /proc/[0-9]*/environ | cut -d/ -f3 |
    while read -r pid; do
      [[ $(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) == Z ]] || echo "$pid"
    done
}
