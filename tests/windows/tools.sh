#!/usr/bin/env bash
# The tools as Windows programs, natively (Git Bash or MSYS2) or under wine,
# and the same cases on Linux. Usage: tools.sh [--list | --case NAME] BIN_DIR
# [RUNNER...] where BIN_DIR holds the programs and RUNNER the words before a
# program's path (e.g. wine). ENGINE_TESTS names the program whose modes
# (hang-with-child, crash) misbehave as engines, FAKE_ENGINE the referee's
# fake engine and CONSOLE_STOP the program that presses Ctrl-C on a console;
# without them those cases pass by saying so.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/shell_cases.sh"

add_case explain_names_the_move_fiverow_plays
add_case explain_writes_the_picture_beside_never_over_its_inputs
add_case explain_usage_and_a_missing_folder
add_case explain_reads_a_folder_with_spaces_and_non_ascii_letters
add_case match_plays_the_same_games_everywhere
add_case match_tournament_of_three_engines
add_case match_ends_a_hung_engine_and_its_child_and_a_crashing_one
add_case match_pipe_engines_that_misbehave
add_case match_stopped_by_ctrl_c_ends_its_engines_and_sums_up
add_case match_holds_an_engine_to_its_memory_limit

case_options "$@"
shift "$options_taken"
bin=$(cd "${1:?the folder of the .exe files}" && pwd)
shift
runner=("$@")
source_dir=$(cd "$here/../.." && pwd)

work_root=$(mktemp -d)
trap 'rm -rf "$work_root"' EXIT

start_case() {
  case_dir=$work_root/$1
  mkdir -p "$case_dir"
}

exe=
[[ -e $bin/fiverow.exe ]] && exe=.exe

# run PROGRAM ARGS...: runs BIN_DIR/PROGRAM (.exe on Windows) in the case
# folder; sets $status, $out and $err.
run() {
  local program=$bin/$1$exe
  shift
  out=$(cd "$case_dir" && NO_COLOR=1 "${runner[@]}" "$program" "$@" 2>"$case_dir/err" </dev/null)
  status=$?
  err=$(cat "$case_dir/err")
}

expect_status() {
  [[ $status == "$1" ]] || fail "status $status, not $1" "$out" "$err"
}

contains() {
  [[ $1 == *"$2"* ]] || fail "no \"$2\" in:" "$1"
}

game_into() {
  mkdir -p "$1"
  cp "$source_dir/bench/midgame/Plocha.dat" "$source_dir/bench/midgame/Tah.dat" "$1/"
}

case_explain_names_the_move_fiverow_plays() {
  game_into "$case_dir/game"
  run fiverow-explain game
  expect_status 0
  local named=${out##*fiverow would play }
  named=${named%% *}
  (cd "$case_dir/game" && "${runner[@]}" "$bin/fiverow$exe" >/dev/null 2>&1 </dev/null)
  local played
  played=$(tr -d '\r\n' <"$case_dir/game/Tah.dat")
  [[ $played == "$named" ]] || fail "explained $named, fiverow played $played"
}

case_explain_writes_the_picture_beside_never_over_its_inputs() {
  game_into "$case_dir/game"
  run fiverow-explain game --svg map.svg
  expect_status 0
  [[ $(head -c 5 "$case_dir/map.svg") == "<svg " ]] || fail "no picture in map.svg"
  ln "$case_dir/game/Plocha.dat" "$case_dir/game/board.svg"
  local before
  before=$(cat "$case_dir/game/Plocha.dat")
  for name in game/Tah.dat game/board.svg; do
    run fiverow-explain game --svg "$name"
    expect_status 1
    contains "$err" "will not write the picture over"
  done
  [[ $(cat "$case_dir/game/Plocha.dat") == "$before" ]] || fail "Plocha.dat was written"
  run fiverow-explain game --svg missing/map.svg
  expect_status 1
  contains "$err" "cannot write"
}

case_explain_usage_and_a_missing_folder() {
  run fiverow-explain --cell 20,1
  expect_status 2
  contains "$err" "--help"
  run fiverow-explain --help
  expect_status 0
  contains "$out" "Usage: fiverow-explain"
  run fiverow-explain missing
  expect_status 1
  contains "$err" "cannot open the folder missing"
}

case_explain_reads_a_folder_with_spaces_and_non_ascii_letters() {
  game_into "$case_dir/hra č. 1"
  run fiverow-explain "hra č. 1" --svg "mapa č. 1.svg"
  expect_status 0
  contains "$out" "fiverow would play"
  [[ -s "$case_dir/mapa č. 1.svg" ]] || fail "no picture written by its UTF-8 name"
}

# Both protocols, one seed: the games the SGF file holds, on every system.
case_match_plays_the_same_games_everywhere() {
  run fiverow-match fiverow pbrain-fiverow --games 2 --seed 7 --sgf games.sgf --show none
  expect_status 0
  cmp -s "$case_dir/games.sgf" "$here/same_games.sgf" ||
    fail "other games than same_games.sgf:" "$(cat "$case_dir/games.sgf")"
}

case_match_tournament_of_three_engines() {
  run fiverow-match fiverow pbrain-fiverow file:fiverow --games 2 --draw-after 12 --show none
  expect_status 0
  contains "$out" "game 6 of 6"
}

case_match_ends_a_hung_engine_and_its_child_and_a_crashing_one() {
  if [[ -z ${ENGINE_TESTS:-} ]]; then
    echo "    no ENGINE_TESTS: nothing to misbehave with"
    return
  fi
  run fiverow-match "file:$ENGINE_TESTS hang-with-child" fiverow --time-limit 0.5 --show none
  expect_status 0
  contains "$out" "ran over the time limit of 0.5 s"
  local left
  left=$(ps -eo args | grep -c "[f]iverow_windows_process_tests.exe hang")
  [[ $left == 0 ]] || fail "$left of the hung engine's processes left running"
  # Wine starts its debugger on a crash unless told not to.
  if [[ ${#runner[@]} -gt 0 ]]; then
    "${runner[@]}" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /f >/dev/null 2>&1
  fi
  # Wine's crash handling takes seconds of the engine's clock.
  run fiverow-match "file:$ENGINE_TESTS crash" fiverow --time-limit 60 --show none
  expect_status 0
  contains "$out" "A (x) crashed with exception 0xC0000005"
}

# The fake engine's pipe modes: one that plays, one that never answers, one
# that answers nonsense.
case_match_pipe_engines_that_misbehave() {
  if [[ -z ${FAKE_ENGINE:-} ]]; then
    echo "    no FAKE_ENGINE: nothing to misbehave with"
    return
  fi
  run fiverow-match "pipe:$FAKE_ENGINE pipe silent" "pipe:$FAKE_ENGINE pipe legal" \
    --time-limit 0.5 --show none
  expect_status 0
  contains "$out" "ran over the time limit of 0.5 s"
  run fiverow-match "pipe:$FAKE_ENGINE pipe garbage" "pipe:$FAKE_ENGINE pipe talk" --show none
  expect_status 0
  contains "$out" 'A (x) answered "hello'
}

# The console's Ctrl-C after two games: the engines end, their folders go and
# the games played are summed up.
case_match_stopped_by_ctrl_c_ends_its_engines_and_sums_up() {
  if [[ -z ${FAKE_ENGINE:-} || -z ${CONSOLE_STOP:-} ]]; then
    echo "    no FAKE_ENGINE or CONSOLE_STOP: nothing to stop"
    return
  fi
  local temp
  temp=$(cd "$case_dir" && "${runner[@]}" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
  local before
  before=$(cd "$case_dir" && "${runner[@]}" cmd /c dir /b "$temp\fiverow-match-*" 2>/dev/null)
  # Wine gives a program a console that takes Ctrl-C only on a terminal.
  local line
  printf -v line '%q ' "${runner[@]}" "$CONSOLE_STOP" out err "game 2 of" \
    "$bin/fiverow-match$exe" "pipe:$FAKE_ENGINE pipe slow 50" "pipe:$FAKE_ENGINE pipe slow 50" \
    --games 40
  if [[ ${#runner[@]} -gt 0 ]]; then
    (cd "$case_dir" && NO_COLOR=1 script -qec "$line" /dev/null >/dev/null </dev/null)
  else
    (cd "$case_dir" && NO_COLOR=1 eval "$line" </dev/null)
  fi
  status=$?
  out=$(cat "$case_dir/out")
  err=$(cat "$case_dir/err")
  expect_status 1
  contains "$err" "fiverow-match: stopped"
  contains "$out" "games "
  contains "$out" "engine   wins"
  local left
  left=$(ps -eo args | grep -c "$FAKE_ENGINE pipe slow 5[0]")
  [[ $left == 0 ]] || fail "$left engines left running"
  local after
  after=$(cd "$case_dir" && "${runner[@]}" cmd /c dir /b "$temp\fiverow-match-*" 2>/dev/null)
  [[ $after == "$before" ]] || fail "folders left in $temp:" "$after"
}

# --max-memory is the engine's job's memory limit: the engine that asks for
# 100 MB under a limit of 64 loses for its memory.
case_match_holds_an_engine_to_its_memory_limit() {
  if [[ -z ${FAKE_ENGINE:-} ]]; then
    echo "    no FAKE_ENGINE: nothing to hold"
    return
  fi
  if [[ ${runner[0]:-} == *wine* ]]; then
    skip_case "wine neither enforces a job's memory limit nor reports its peak"
    return
  fi
  run fiverow-match "pipe:$FAKE_ENGINE pipe hog" "pipe:$FAKE_ENGINE pipe legal" \
    --max-memory A:64 --show none
  expect_status 0
  contains "$out" "out of memory (its limit is 64 MB)"
}

run_cases windows_tools ""
