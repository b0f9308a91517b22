#!/usr/bin/env bash
# End-to-end golden tests: each case runs the engine once in a fresh
# directory and pins its standard output, standard error, exit status and the
# bytes of Tah.dat afterwards.
#
# Usage: golden.sh [--case NAME] ENGINE_COMMAND...
#          e.g. golden.sh build/dev/fiverow
#               golden.sh --case good_run wine build/windows/fiverow.exe
#        golden.sh --list linux|windows
# The engine's module name is the last word of the command. Cases that need
# Linux facilities (chattr, setpriv, ulimit -f) run only for a Linux engine;
# cases that need Windows ones only for a .exe. Under wine the cases share the
# caller's WINEPREFIX when it is set, else a quiet prefix of the suite's own.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/shell_cases.sh"

# ---- building inputs -------------------------------------------------------

# position [CH:X,Y ...]: 20 rows of '-' with the given stones, CR LF ends.
position() {
  local -a rows
  local y stone ch xy x row
  for ((y = 0; y < 20; y++)); do rows[y]='--------------------'; done
  for stone in "$@"; do
    ch=${stone%%:*} xy=${stone#*:}
    x=${xy%,*} y=${xy#*,}
    row=${rows[y]}
    rows[y]="${row:0:x}${ch}${row:x+1}"
  done
  printf '%s\r\n' "${rows[@]}"
}

# The traced opening: three own stones in row 10; the move is 7,10.
trace_position() { position x:8,10 x:9,10 x:10,10; }

# ---- running and checking --------------------------------------------------

run_engine() { # run_engine [ARGS...]: runs in the case directory
  (cd "$case_dir" && "${engine[@]}" "$@" >stdout 2>stderr </dev/null)
  status=$?
}

expect_status() { [[ $status == "$1" ]] || fail "exit status $status, expected $1"; }

# expect_bytes FILE EXPECTED: the file holds exactly EXPECTED (printf format).
expect_bytes() {
  local file=$case_dir/$1
  if [[ ! -e $file && ! -L $file ]]; then fail "$1 is missing"; return; fi
  if ! cmp -s "$file" <(printf "$2"); then
    fail "$1 differs; expected then actual:" \
      "$(printf "$2" | od -An -c | head -5)" "$(od -An -c "$file" | head -5)"
  fi
}

expect_silent() {
  expect_bytes stdout ''
  expect_bytes stderr ''
}

# expect_report KIND MESSAGE: the two-line failure report, any location.
expect_report() {
  local actual=$case_dir/stdout
  local first
  first=$(head -c 200 "$actual" | head -n 1)
  if [[ ! $first =~ \ at\ [0-9A-F]{8}\.$ ]]; then
    fail "no 8-digit upper-case hex location in: $first"
  fi
  sed -E 's/ at [0-9A-F]{8}\./ at ########./' "$actual" >"$case_dir/stdout.masked"
  if ! cmp -s "$case_dir/stdout.masked" \
    <(printf 'Exception %s in module %s at ########.\n%s.\r\n' "$1" "$module" "$2"); then
    fail "report differs:" "$(od -An -c "$actual" | head -8)"
  fi
  expect_bytes stderr ''
}

location() { sed -nE '1s/.* at ([0-9A-F]{8})\.$/\1/p' "$case_dir/stdout"; }

start_case() {
  case_dir=$work_root/$1
  mkdir -p "$case_dir"
  chmod 755 "$case_dir"
}

# ---- cases: successful runs ------------------------------------------------

case_good_run() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '7,10'
}

case_lf_line_ends_and_no_final_line_end() {
  trace_position | tr -d '\r' | head -c -1 >"$case_dir/Plocha.dat"
  printf 'o' >"$case_dir/Tah.dat"
  run_engine
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '7,10'
}

case_empty_board_opens_in_the_centre() {
  position >"$case_dir/Plocha.dat"
  printf 'x\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '10,10'
}

# A turn file still holding the last move plays the "o" stones: both sides
# have an open four, and the engine completes the "o" five.
case_previous_move_in_turn_file_plays_o() {
  position o:4,4 o:5,4 o:6,4 o:7,4 x:10,15 x:11,15 x:12,15 x:13,15 \
    >"$case_dir/Plocha.dat"
  printf '7,10' >"$case_dir/Tah.dat"
  run_engine
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '3,4'
}

case_arguments_are_ignored() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\n' >"$case_dir/Tah.dat"
  run_engine --help Plocha.dat 1,1
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '7,10'
}

case_same_files_same_move() {
  position x:3,3 o:4,4 x:5,5 o:6,6 x:3,4 o:12,12 >"$case_dir/Plocha.dat"
  printf 'x' >"$case_dir/Tah.dat"
  run_engine
  cp "$case_dir/Tah.dat" "$case_dir/first"
  printf 'x' >"$case_dir/Tah.dat"
  run_engine
  expect_status 0
  expect_bytes Tah.dat "$(cat "$case_dir/first")"
}

# ---- cases: bad input ------------------------------------------------------

case_missing_position_file() {
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 1
  expect_report EInOutError 'File not found'
  expect_bytes Tah.dat 'o\r\n'
}

case_missing_turn_file() {
  trace_position >"$case_dir/Plocha.dat"
  run_engine
  expect_status 1
  expect_report EInOutError 'File not found'
  [[ ! -e $case_dir/Tah.dat ]] || fail "Tah.dat was created"
}

case_position_of_19_lines() {
  trace_position | head -n 19 >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 1
  expect_report ERangeError 'Range check error'
  expect_bytes Tah.dat 'o\r\n'
}

case_short_fifth_line() {
  trace_position | sed '5s/^-//' >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 1
  expect_report ERangeError 'Range check error'
  expect_bytes Tah.dat 'o\r\n'
}

case_empty_turn_file() {
  trace_position >"$case_dir/Plocha.dat"
  : >"$case_dir/Tah.dat"
  run_engine
  expect_status 1
  expect_report ERangeError 'Range check error'
  expect_bytes Tah.dat ''
}

case_position_file_is_a_directory() {
  mkdir "$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 1
  expect_report EInOutError 'File access denied'
  expect_bytes Tah.dat 'o\r\n'
}

# Failures at different checks report different locations; the same check
# always reports the same one.
case_locations_tell_checks_apart() {
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  local missing_first missing_again short_line empty_turn
  missing_first=$(location)
  run_engine
  missing_again=$(location)
  trace_position | head -n 19 >"$case_dir/Plocha.dat"
  run_engine
  short_line=$(location)
  trace_position >"$case_dir/Plocha.dat"
  : >"$case_dir/Tah.dat"
  run_engine
  empty_turn=$(location)
  [[ -n $missing_first && $missing_first == "$missing_again" ]] ||
    fail "same check, locations '$missing_first' and '$missing_again'"
  local -A seen=([$missing_first]=1 [$short_line]=1 [$empty_turn]=1)
  ((${#seen[@]} == 3)) ||
    fail "locations not distinct: $missing_first $short_line $empty_turn"
}

# ---- cases: the move never goes to an occupied cell ------------------------

# Every cell but (10, 10) holds a stone, laid so that no line of three of a
# kind exists: the lone empty cell scores 0, as does every occupied cell. The
# move is that empty cell, never the occupied (0, 0).
full_but_centre() {
  local y x line
  for ((y = 0; y < 20; y++)); do
    line=
    for ((x = 0; x < 20; x++)); do
      if ((x == 10 && y == 10)); then line+='-'
      elif (((x / 2 + y) % 2)); then line+='o'
      else line+='x'; fi
    done
    printf '%s\r\n' "$line"
  done
}

case_lone_empty_cell_scoring_zero_is_played() {
  full_but_centre >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '10,10'
}

case_full_board_is_a_failure() {
  full_but_centre | sed '11s/-/x/' >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  run_engine
  expect_status 1
  expect_report EBoardFull 'Board is full'
  expect_bytes Tah.dat 'o\r\n'
}

# ---- cases: the move cannot be written -------------------------------------

# run_engine_unprivileged: runs the engine so that file permissions apply to
# it even when the suite runs as root (as user nobody, from a copy of the
# engine that nobody may execute, wherever the build is).
run_engine_unprivileged() {
  if ((EUID != 0)); then
    run_engine
    return
  fi
  cp "$engine_path" "$case_dir/$module"
  chmod 755 "$case_dir/$module"
  setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$case_dir/$module" ||
    fail "nobody cannot run programs from $case_dir"
  (cd "$case_dir" && setpriv --reuid=nobody --regid=nogroup --clear-groups \
    "./$module" >stdout 2>stderr </dev/null)
  status=$?
  rm -f "$case_dir/$module"
}

# Mode 000 keeps out the file's owner too; root is kept out by running the
# engine as nobody.
case_unreadable_position_file() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  chmod 000 "$case_dir/Plocha.dat"
  chmod 666 "$case_dir/Tah.dat"
  run_engine_unprivileged
  chmod 644 "$case_dir/Plocha.dat"
  expect_status 1
  expect_report EInOutError 'File access denied'
  expect_bytes Tah.dat 'o\r\n'
}

case_unreadable_turn_file() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  chmod 644 "$case_dir/Plocha.dat"
  chmod 000 "$case_dir/Tah.dat"
  run_engine_unprivileged
  chmod 644 "$case_dir/Tah.dat"
  expect_status 1
  expect_report EInOutError 'File access denied'
  expect_bytes Tah.dat 'o\r\n'
}

# Tah.dat is made really unwritable even for root: immutable where the file
# system allows it, else the engine runs unprivileged.
case_read_only_turn_file() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  chmod 644 "$case_dir/Plocha.dat"
  chmod 444 "$case_dir/Tah.dat"
  if ((EUID == 0)) && chattr +i "$case_dir/Tah.dat" 2>/dev/null; then
    run_engine
    chattr -i "$case_dir/Tah.dat"
  else
    run_engine_unprivileged
  fi
  expect_status 1
  expect_report EInOutError 'File access denied'
  expect_bytes Tah.dat 'o\r\n'
}

# ---- cases: no write failure ends the run by a signal -----------------------

# The report goes to a pipe whose reader has gone: its write fails and is
# ignored, and the status is still 1 (not death by SIGPIPE).
case_report_to_a_closed_pipe() {
  printf 'o\r\n' >"$case_dir/Tah.dat"
  mkfifo "$case_dir/pipe"
  exec 7<>"$case_dir/pipe" 8>"$case_dir/pipe" 7<&-
  (cd "$case_dir" && "${engine[@]}" >&8 2>stderr </dev/null)
  status=$?
  exec 8>&-
  expect_status 1
  expect_bytes stderr ''
  expect_bytes Tah.dat 'o\r\n'
}

# Over the file-size limit the move cannot be written: a failed file step
# (EFBIG), reported, not death by SIGXFSZ.
case_move_over_the_file_size_limit() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  (cd "$case_dir" && ulimit -f 0 && exec "${engine[@]}" 2>stderr </dev/null) | cat >"$case_dir/stdout"
  status=${PIPESTATUS[0]}
  expect_status 1
  expect_report EInOutError 'I/O error 223'
  expect_bytes Tah.dat ''
}

# ---- the cases -------------------------------------------------------------

add_case good_run
add_case lf_line_ends_and_no_final_line_end
add_case empty_board_opens_in_the_centre
add_case previous_move_in_turn_file_plays_o
add_case arguments_are_ignored
add_case same_files_same_move
add_case missing_position_file
add_case missing_turn_file
add_case position_of_19_lines
add_case short_fifth_line
add_case empty_turn_file
add_case position_file_is_a_directory
add_case locations_tell_checks_apart
add_case lone_empty_cell_scoring_zero_is_played
add_case full_board_is_a_failure
add_case unreadable_position_file linux
add_case unreadable_turn_file linux
add_case read_only_turn_file linux
add_case report_to_a_closed_pipe linux
add_case move_over_the_file_size_limit linux
# Cases that need Windows itself.
. "$here/golden_windows.sh"

# ---- main ------------------------------------------------------------------

case_options "$@"
shift "$options_taken"
(($#)) || { echo "usage: $0 [--case NAME] ENGINE_COMMAND... | --list linux|windows" >&2; exit 2; }
engine=("$@")
engine_path=${engine[-1]}
[[ $engine_path == /* ]] || engine_path=$PWD/$engine_path
engine[-1]=$engine_path
module=${engine_path##*/}
if [[ $module == *.exe ]]; then platform=windows; else platform=linux; fi

work_root=$(mktemp -d)
chmod 755 "$work_root"
cleanup() {
  stop_wine
  chattr -R -i "$work_root" 2>/dev/null
  rm -rf "$work_root"
}
trap cleanup EXIT

# The words before the engine's path, e.g. "wine" for a .exe run under wine.
runner=("${engine[@]:0:${#engine[@]}-1}")
wine_command=
for word in "${runner[@]}"; do [[ ${word##*/} == wine* ]] && wine_command=$word; done

# wineserver beside the wine command (as with /usr/lib/wine/wine64), else
# from PATH.
wineserver_command() {
  local beside=${wine_command%/*}/wineserver
  if [[ $wine_command == */* && -x $beside ]]; then echo "$beside"; else echo wineserver; fi
}

# Under wine, wine starts before the first case, so that its first-start
# messages (and those of a new prefix) stay out of the cases. Mono and Gecko
# are turned off, so no installer prompt appears. A prefix of the suite's own
# is stopped at the end; a shared one is left to its owner.
own_prefix=
if [[ -n $wine_command ]]; then
  if [[ -z ${WINEPREFIX:-} ]]; then
    export WINEPREFIX=$work_root/wine
    own_prefix=1
  fi
  export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
  if ! "${runner[@]}" cmd /c exit 0 >"$work_root/wine-start.log" 2>&1 </dev/null; then
    echo "wine does not start with: ${runner[*]}" >&2
    cat "$work_root/wine-start.log" >&2
    exit 1
  fi
fi

stop_wine() {
  stop_owner_wine
  [[ -n $own_prefix ]] || return 0
  "$(wineserver_command)" -k 2>/dev/null
  return 0
}

echo "engine: ${engine[*]} (module $module, $platform)"
run_cases golden "$platform"
