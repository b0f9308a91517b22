#!/usr/bin/env bash
# Pipe engines against the built referee: the fake engine in one of its pipe
# modes, played as engine A (x) against fiverow for one game. Every case
# checks the result line and its reason, that the match ends in time, and that
# nothing the referee started is left running. The last cases check modes of
# the fake engine itself, talking to it directly.
#
# Usage: pipe_engines.sh [--case NAME] FIVEROW_MATCH FIVEROW FAKE_ENGINE
#        pipe_engines.sh --list
set -u
. "$(dirname "$0")/../support/shell_cases.sh"

start_case() {
  dir=$work/$1
  mkdir -p "$dir/tmp"
}

# pipe_case REGEX [REFEREE_ARGS...] -- MODE [ARGS...]: plays the fake engine in
# MODE, which logs what it hears to $dir/log; the game's result line must
# match REGEX.
pipe_case() {
  local expected=$1 args=()
  shift
  while [[ $1 != -- ]]; do args+=("$1") && shift; done
  shift
  local start=$SECONDS
  (cd "$dir" && exec env FIVEROW_PIPE="$marker" TMPDIR="$dir/tmp" PIDFILE="$dir/pid" \
    STATES="$dir/states" FIVEROW="$fiverow" \
    timeout -s KILL 60 "$match" --show none --time-limit 3 "${args[@]}" \
    "pipe:$fake pipe --log $dir/log --pid $dir/pid $*" "${opponent:-$fiverow}" \
    >stdout 2>stderr </dev/null) ||
    fail "exit status $?" "$(head -c 600 "$dir/stderr")"
  ((SECONDS - start < 20)) || fail "took $((SECONDS - start)) s"
  grep -Eq "^game 1 \(x A, o B\): $expected" "$dir/stdout" ||
    fail "the game does not end with: $expected" "$(grep '^game' "$dir/stdout")"
  check_nothing_left
}

check_nothing_left() {
  local left
  left=$(leftovers "FIVEROW_PIPE=$marker")
  [[ -z $left ]] || fail "processes left:" "$(ps -o pid,stat,cmd -p "${left//$'\n'/,}" 2>&1)"
  [[ -z $(ls -A "$dir/tmp") ]] || fail "folders left: $(ls -A "$dir/tmp")"
}

# ---- cases -----------------------------------------------------------------

# A legal engine from an opening hears the whole conversation, line ends of
# all three kinds are read, MESSAGE and DEBUG lines are shown and recorded
# escaped, and the engine is stopped while fiverow thinks (which reads the
# engine's state from /proc before it moves).
add_case legal
case_legal() {
  cat >"$dir/opponent.sh" <<'EOF'
read -r pid <"$PIDFILE" && cut -d' ' -f3 "/proc/$pid/stat" >>"$STATES"
exec "$FIVEROW"
EOF
  opponent="sh $dir/opponent.sh" pipe_case '. wins: . \(.\) made five in a row' \
    --opening "9,9 10,10" --record records --show each -- talk
  local expected_log=$'START 20\nINFO timeout_turn 3000\nINFO timeout_match 0\nINFO max_memory 0
INFO game_type 1\nINFO rule 0\nINFO time_left 2147483647\nBOARD\n9,9,1\n10,10,2\nDONE
INFO time_left 2147483647\nTURN '
  [[ $(cat "$dir/log") == "$expected_log"* ]] || fail "heard:" "$(head -14 "$dir/log")"
  [[ $(tail -1 "$dir/log") == END ]] || fail "no END at the end"
  [[ $(sort -u "$dir/states") == T ]] || fail "not stopped while fiverow thinks: $(cat "$dir/states")"
  grep -qF '  x (A) MESSAGE thinking \x1b[31mhard' "$dir/stdout" || fail "the MESSAGE line is not shown"
  ! grep -q $'\033' "$dir/stdout" || fail "a raw escape character was shown"
  grep -qxF 'x DEBUG depth 1' "$dir/records/game-001.txt" || fail "the DEBUG line is not recorded"
  grep -qx 'x protocol: pipe' "$dir/records/game-001.txt" || fail "the protocol is not recorded"
}

add_case unknown
case_unknown() {
  pipe_case 'B wins: A \(x\) answered "UNKNOWN BEGIN" instead of a move after 0 moves' -- unknown
}

add_case garbage
case_garbage() {
  pipe_case 'B wins: A \(x\) answered "hello" instead of a move X,Y after 0 moves' -- garbage
  grep -qx BEGIN "$dir/log" || fail "no BEGIN on an empty board"
}

add_case start_refused
case_start_refused() {
  pipe_case 'B wins: A \(x\) refused START 20: "ERROR no room" after 0 moves' -- refuse
}

add_case silent
case_silent() {
  pipe_case 'B wins: A \(x\) ran over the time limit of 1 s after 0 moves' --time-limit 1 -- silent
}

# Under renju the engine is told the rule, and x's first free cell, 0,0,
# makes a four in its row and one in its column: a forbidden move, which loses.
pipe_case renju 'B wins: A \(x\) made a forbidden double-four at 0,0 after 1 move' \
  --rule renju --opening "1,0 10,10 2,0 12,10 3,0 14,10 0,1 10,12 0,2 12,12 0,3 14,12" <<'EOF'
EOF
grep -qx 'INFO rule 4' "$dir/log" || fail "not told INFO rule 4" "$(grep INFO "$dir/log")"
finish_case renju

# It exits after its first move: the next TURN finds no reader.
add_case exits_mid_game
case_exits_mid_game() {
  pipe_case 'B wins: A \(x\) exited with status 3 after 2 moves' -- exit-after-move
}

add_case ignores_end
case_ignores_end() {
  local started=${EPOCHREALTIME/./}
  pipe_case '. wins: . \(.\) made five in a row' -- ignore-end
  ((${EPOCHREALTIME/./} - started >= 1000000)) || fail "not given a second to end"
}

add_case match_time
case_match_time() {
  pipe_case 'B wins: A \(x\) ran out of its match time of 1 s after [0-9]+ moves' \
    --match-time 1 -- slow 400
}

add_case max_memory
case_max_memory() {
  pipe_case 'B wins: A \(x\) exited with status 2: out of memory \(its limit is 64 MB\) after 0 moves' \
    --max-memory 64 -- hog
  grep -q 'cannot allocate' "$dir/stdout" || fail "its error output is not shown"
}

# Four games at once, each between a pipe engine and a file engine that
# leaves a child at every move: every game ends, and every child is killed.
add_case four_games_at_once
case_four_games_at_once() {
  (cd "$dir" && exec env FIVEROW_PIPE="$marker" TMPDIR="$dir/tmp" \
    timeout -s KILL 60 "$match" --show none --games 8 --concurrency 4 \
    "pipe:$fake pipe legal" "$fake file straggler $dir/pids" >stdout 2>stderr </dev/null) ||
    fail "exit status $?" "$(head -c 600 "$dir/stderr")"
  (($(grep -c '^game [1-8] of 8 .*: . wins: . (.) made five in a row' "$dir/stdout") == 8)) ||
    fail "not 8 games won by five:" "$(grep '^game' "$dir/stdout")"
  check_nothing_left
}

# ---- the fake engine's own modes -------------------------------------------

# talk MODE [ARGS...]: starts the fake engine in a pipe mode; `say LINE...`
# sends it lines, `hear` reads its next reply into $heard within 5 s.
talk() {
  coproc engine { exec "$fake" pipe "$@" 2>&1; }
}
say() { printf '%s\n' "$@" >&"${engine[1]}"; }
hear() {
  heard=
  IFS= read -r -t 5 heard <&"${engine[0]}" || { fail "no reply"; return 1; }
  heard=${heard%$'\r'}
}
ms_since() { echo $(((${EPOCHREALTIME/./} - $1) / 1000)); }
hang_up() {
  say END 2>/dev/null
  wait "$engine_PID"
}

# START takes 1.2 s; INFO max_memory N holds N less 16 MiB, within a limit of
# N on its address space.
add_case fake_slow_start
case_fake_slow_start() {
  local started=${EPOCHREALTIME/./}
  talk slow-start
  say 'START 20'
  hear && [[ $heard == OK ]] || fail "answered '$heard' to START"
  (($(ms_since "$started") >= 1200)) || fail "answered START after $(ms_since "$started") ms"
  hang_up
  (
    ulimit -v $((64 * 1024))
    talk slow-start
    say 'START 20' 'INFO max_memory 67108864' ABOUT
    hear && hear
    grep -E '^VmRSS' "/proc/$engine_PID/status" | awk '{ exit !($2 >= 48 * 1024) }' ||
      fail "holds too little:" "$(grep -E '^VmRSS' "/proc/$engine_PID/status")"
    hang_up
    [[ -z $case_failed ]]
  ) || fail "cannot hold its share of 64 MiB"
}

# A command heard while it thinks is refused, and the move follows 5 ms later.
add_case fake_error_race
case_fake_error_race() {
  talk error-race 2000
  say 'START 20' BEGIN FOO
  hear
  hear && [[ $heard == 'ERROR Unknown command: FOO' ]] || fail "heard '$heard'"
  local refused=${EPOCHREALTIME/./}
  hear && [[ $heard == 10,10 ]] || fail "then '$heard'"
  (($(ms_since "$refused") >= 4)) || fail "the move came $(ms_since "$refused") ms later"
  hang_up
}

# It moves at 90% of its turn time, or of its match time where that is less.
add_case fake_on_time
case_fake_on_time() {
  talk on-time
  say 'START 20' 'INFO timeout_turn 1000'
  hear
  local left limit took started row=0
  for left in 100000 600; do
    started=${EPOCHREALTIME/./}
    say "INFO time_left $left" "TURN 0,$((row++))"
    hear
    took=$(ms_since "$started") limit=$((left < 1000 ? left : 1000))
    ((took >= limit * 9 / 10 - 5 && took < limit)) || fail "moved after $took ms, limit $limit"
  done
  hang_up
}

add_case fake_twice
case_fake_twice() {
  talk twice
  say 'START 20' BEGIN
  local replies=()
  for _ in 1 2 3 4; do hear && replies+=("$heard"); done
  [[ ${replies[*]} == 'OK OK 10,10 10,10' ]] || fail "answered: ${replies[*]}"
  hang_up
}

# At START it leaves a child in a session of its own, burning CPU.
add_case fake_burner
case_fake_burner() {
  talk burner "$dir/burner"
  say 'START 20'
  hear
  local child engine_session child_session ticks
  child=$(cat "$dir/burner")
  engine_session=$(ps -o sid= -p "$engine_PID") child_session=$(ps -o sid= -p "$child")
  [[ -n $child_session && $child_session != "$engine_session" ]] ||
    fail "the child $child is not in a session of its own"
  ticks=$(cut -d' ' -f14 "/proc/$child/stat")
  sleep 0.3
  (($(cut -d' ' -f14 "/proc/$child/stat") > ticks)) || fail "the child does not burn CPU"
  kill -9 "$child"
  hang_up
}

# ---- main ------------------------------------------------------------------

case_options "$@"
shift "$options_taken"
(($# == 3)) || { echo "usage: $0 [--case NAME] FIVEROW_MATCH FIVEROW FAKE_ENGINE | --list" >&2; exit 2; }
match=$(realpath "$1") fiverow=$(realpath "$2") fake=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
marker=fiverow-pipe-$$-$RANDOM
run_cases pipe_engines ""
