#!/usr/bin/env bash
# pbrain-fiverow as a manager runs it, through real pipes: a scripted game with
# each reply read before the next command is sent, the end of the input, and a
# manager that has gone. Under wine, WINEPREFIX and WINEDEBUG come from the
# caller (the test sets a quiet prefix of its own).
#
# usage: brain_session.sh [--case NAME] BRAIN_COMMAND...
#          e.g. brain_session.sh build/dev/pbrain-fiverow
#               brain_session.sh wine build/windows/pbrain-fiverow.exe
#        brain_session.sh --list
set -u
. "$(dirname "$0")/../support/shell_cases.sh"

start_case() { pid= in= out=; }
start() {
  "${brain[@]}" <"$work/in" >"$work/out" 2>/dev/null &
  pid=$!
  exec {in}>"$work/in" {out}<"$work/out"
}
# send LINE...: in a subshell, so that a brain that has gone fails the case only.
send() { (printf '%s\r\n' "$@" >&"$in") 2>/dev/null || fail "cannot send: $*"; }
# expect PATTERN: the next reply matches the extended regex, ended by CR LF.
expect() {
  local line=
  IFS= read -r -t 60 line <&"$out" || { fail "no reply, expected $1"; return; }
  [[ $line =~ ^($1)$'\r'$ ]] || fail "reply '$line', expected $1"
}
# stopped: the brain ends within 60 s with status 0 and writes nothing more.
stopped() {
  local tries extra=
  for ((tries = 0; tries < 600; tries++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null && fail "still running"
  wait "$pid" || fail "exit status $?"
  [[ -z $out ]] || ! IFS= read -r -t 1 extra <&"$out" || fail "wrote more: $extra"
  [[ -z $in ]] || exec {in}>&-
  [[ -z $out ]] || exec {out}<&-
  pid= in= out=
}

add_case a_game
case_a_game() {
  start
  send 'START 20'; expect OK
  send about; expect 'name="fiverow", version="[0-9]+\.[0-9]+\.[0-9]+", .*'
  send BEGIN; expect 10,10
  send 'INFO timeout_turn 1000' 'TURN 10,11'; expect 9,10
  send BOARD 10,10,1 11,10,1 12,10,1 0,0,2 13,10,1 DONE; expect 9,10
  send 'TURN 20,1'; expect 'ERROR .+'
  send SWAP2BOARD DONE 'FOO BAR'; expect 'ERROR .+'; expect 'UNKNOWN .+'
  send END; stopped
}

# The end of the input, after a last line without its line end.
add_case end_of_input
case_end_of_input() {
  start
  printf 'START 20\r\nBEGIN' >&"$in"
  exec {in}>&-
  in=
  expect OK; expect 10,10; stopped
}

# The manager has gone: the next write fails.
add_case manager_gone
case_manager_gone() {
  start
  exec {out}<&-
  out=
  # The brain may end after its first reply, before the second line is sent.
  (printf '%s\r\n' 'START 20' BEGIN >&"$in") 2>/dev/null
  stopped
}

case_options "$@"
shift "$options_taken"
(($#)) || { echo "usage: $0 [--case NAME] BRAIN_COMMAND... | --list" >&2; exit 2; }
brain=("$@") pid=
work=$(mktemp -d)
trap '[[ -n $pid ]] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/in" "$work/out"
# wine sets its prefix up at its first start; that stays out of the session.
[[ ${1##*/} == wine* ]] && "$1" cmd /c exit 0 >/dev/null 2>&1 </dev/null
run_cases brain_session ""
