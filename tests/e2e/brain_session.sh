#!/usr/bin/env bash
# pbrain-fiverow as a manager runs it: a scripted session through real pipes,
# each reply read before the next command is written; then the end of the
# input, and a manager that has gone.
#
# usage: brain_session.sh BRAIN_COMMAND...
#   e.g. brain_session.sh build/dev/pbrain-fiverow
#        brain_session.sh wine build/windows/pbrain-fiverow.exe
set -u
trap '' PIPE  # a write to a brain that has gone fails; it does not end the script
(($#)) || { echo "usage: $0 BRAIN_COMMAND..." >&2; exit 2; }
brain=("$@")
failed=0
fail() { printf 'FAIL  %s\n' "$*"; failed=1; }

# Under wine: a quiet prefix, made before the session so that its first start
# stays out of the timing. WINEPREFIX may be given; else one of our own.
for word in "${brain[@]:0:$#-1}"; do
  if [[ ${word##*/} == wine* ]]; then
    export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    if [[ -z ${WINEPREFIX:-} ]]; then
      own_prefix=$(mktemp -d)
      export WINEPREFIX=$own_prefix/wine
    fi
    "$word" cmd /c exit 0 >/dev/null 2>&1 </dev/null
  fi
done

work=$(mktemp -d)
cleanup() {
  [[ -n ${pid:-} ]] && kill -9 "$pid" 2>/dev/null
  if [[ -n ${own_prefix:-} ]]; then
    wineserver -k 2>/dev/null
    rm -rf "$own_prefix"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/in" "$work/out"

# start: runs the brain on two named pipes, `in` and `out` its ends of them.
start() {
  "${brain[@]}" <"$work/in" >"$work/out" 2>/dev/null &
  pid=$!
  exec {in}>"$work/in" {out}<"$work/out"
}

send() { printf '%s\r\n' "$@" >&"$in"; printf '> %s\n' "$@"; }

# expect REPLY: the next line is REPLY, ended by CR LF (a pattern after ~).
expect() {
  local line=
  if ! IFS= read -r -t 60 line <&"$out"; then
    fail "no reply, expected: $1"
    return
  fi
  printf '< %s\n' "${line%$'\r'}"
  [[ $line == *$'\r' ]] || fail "reply not ended by CR LF: $line"
  line=${line%$'\r'}
  if [[ $1 == '~'* ]]; then
    [[ $line =~ ${1#\~} ]] || fail "reply '$line' does not match ${1#\~}"
  else
    [[ $line == "$1" ]] || fail "reply '$line', expected '$1'"
  fi
}

# expect_exit: the brain ends within 60 s with status 0 and writes nothing more.
expect_exit() {
  local tries extra=
  for ((tries = 0; tries < 600; tries++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "still running"
  fi
  wait "$pid"
  local status=$?
  ((status == 0)) || fail "exit status $status"
  if [[ -n ${out:-} ]]; then
    IFS= read -r -t 1 extra <&"$out"
    [[ -z $extra ]] || fail "wrote after its last reply: $extra"
  fi
  [[ -n ${in:-} ]] && exec {in}>&-
  [[ -n ${out:-} ]] && exec {out}<&-
  in= out= pid=
}

echo "-- a game"
start
send 'START 20'; expect OK
send about; expect '~^name="fiverow", version="[0-9]+\.[0-9]+\.[0-9]+", '
send BEGIN; expect 10,10
send 'INFO timeout_turn 1000'
send 'TURN 10,11'; expect 9,10
send BOARD 10,10,1 11,10,1 12,10,1 0,0,2 13,10,1 DONE; expect 9,10
send 'TURN 20,1'; expect 'ERROR coordinates outside 0..19'
send SWAP2BOARD DONE; expect '~^ERROR '
send 'FOO BAR'; expect '~^UNKNOWN '
send END
expect_exit

echo "-- the end of the input, after a last line without its line end"
start
printf 'START 20\r\nBEGIN' >&"$in"
exec {in}>&-
in=
expect OK
expect 10,10
expect_exit

echo "-- the manager has gone: the next write fails"
start
exec {out}<&-
out=
send 'START 20' BEGIN
expect_exit

exit "$failed"
