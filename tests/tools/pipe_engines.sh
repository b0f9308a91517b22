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

# referee [ARGS...]: runs the referee in the case folder, with the marker in
# the engines' environment and what the opponent scripts read.
referee() {
  (cd "$dir" && exec env FIVEROW_PIPE="$marker" TMPDIR="$dir/tmp" PIDFILE="$dir/pid" \
    STATES="$dir/states" FIVEROW="$fiverow" BURNER="${BURNER:-}" \
    timeout -s KILL 60 "$match" "$@" >stdout 2>stderr </dev/null)
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
  referee --show none --time-limit 3 "${args[@]}" \
    "pipe:$fake pipe --log $dir/log --pid $dir/pid $*" "${opponent:-$fiverow}" ||
    fail "exit status $?" "$(head -c 600 "$dir/stderr")"
  ((SECONDS - start < 20)) || fail "took $((SECONDS - start)) s"
  grep -Eq "^game 1( of [0-9]+)? \(x A, o B\): $expected" "$dir/stdout" ||
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
read -r pid <"$PIDFILE" && for _ in 1 2 3 4 5 6 7 8 9 10; do
  state=$(cut -d' ' -f3 "/proc/$pid/stat") && [ "$state" = T ] && break || sleep 0.01
done
echo "$state" >>"$STATES"
exec "$FIVEROW"
EOF
  opponent="sh $dir/opponent.sh" pipe_case '. wins: . \(.\) made five in a row' \
    --opening "9,9 10,10" --record records --show each -- talk
  local expected_log=$'START 20\nINFO timeout_turn 3000\nINFO timeout_match 0\nINFO max_memory 0
INFO game_type 1\nINFO rule 0\nABOUT\nINFO time_left 2147483647\nBOARD\n9,9,1\n10,10,2\nDONE
INFO time_left 2147483647\nTURN '
  [[ $(cat "$dir/log") == "$expected_log"* ]] || fail "heard:" "$(head -14 "$dir/log")"
  [[ $(tail -1 "$dir/log") == END ]] || fail "no END at the end"
  [[ $(sort -u "$dir/states") == T ]] || fail "not stopped while fiverow thinks: $(cat "$dir/states")"
  grep -qF '  x (A) MESSAGE thinking \x1b[31mhard' "$dir/stdout" || fail "the MESSAGE line is not shown"
  ! grep -q $'\033' "$dir/stdout" || fail "a raw escape character was shown"
  grep -qxF 'x DEBUG depth 1' "$dir/records/game-001.txt" || fail "the DEBUG line is not recorded"
  grep -qx 'x protocol: pipe' "$dir/records/game-001.txt" || fail "the protocol is not recorded"
}

# Only a move answers a move: an UNKNOWN line is kept, and the engine that
# sends nothing after it runs out of time, with its line quoted.
add_case unknown
case_unknown() {
  pipe_case 'B wins: A \(x\) ran over the time limit of 1 s: no move came within it plus the margin of 0.1 s; it sent "UNKNOWN BEGIN" after 0 moves' \
    --time-limit 1 -- unknown
}

# An ERROR line before each move decides nothing: the move that follows counts.
add_case error_first
case_error_first() {
  pipe_case '. wins: . \(.\) made five in a row' --show each -- error-first
  grep -qF '  x (A) ERROR Unknown command: INFO' "$dir/stdout" || fail "the ERROR line is not shown"
}

# Every answer sent twice: the second move, which came when nothing was
# asked, is the fault, named as such.
add_case twice
case_twice() {
  pipe_case 'B wins: A \(x\) answered twice: "[0-9]+,[0-9]+" came when no move was asked for after [0-9]+ moves' \
    -- twice
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
  pipe_case 'B wins: A \(x\) ran over the time limit of 1 s: no move came within it plus the margin of 0.1 s after 0 moves' \
    --time-limit 1 -- silent
}

# Silence at START is a time-out of the start-up, which has its own time.
add_case mute_at_start
case_mute_at_start() {
  pipe_case 'B wins: A \(x\) did not answer START 20 within its start-up time of 1 s after 0 moves' \
    --start-time 1 -- mute
}

# A start-up of 1.2 s, and a hash of its memory less 16 MiB taken at INFO
# max_memory, are on no move's clock and within its budget.
add_case slow_start
case_slow_start() {
  pipe_case '. wins: . \(.\) made five in a row' --time-limit 1 --match-time 30 --max-memory A:256 \
    -- slow-start
}

# Thinking to 90% of its turn limit each move is within the limit (and a
# margin that a loaded machine cannot eat up).
add_case on_time
case_on_time() {
  pipe_case '. wins: . \(.\) made five in a row' --time-limit 0.3 --time-margin 0.3 -- on-time
}

# The engine lives for the match: one START, then RESTART for each game.
# One that does not know RESTART is ended and started afresh; one that
# failed starts afresh for its next game, and the summary says so.
add_case lives_for_the_match
case_lives_for_the_match() {
  pipe_case '. wins' --games 3 -- legal
  [[ $(grep -c '^START' "$dir/log") == 1 && $(grep -c '^RESTART' "$dir/log") == 2 ]] ||
    fail "heard:" "$(grep -E 'START' "$dir/log")"
  pipe_case '. wins' --games 2 -- no-restart
  (($(grep -c '^START' "$dir/log") == 3)) || fail "not started afresh after UNKNOWN to RESTART"
  pipe_case 'B wins: A \(x\) exited with status 3' --games 2 -- exit-after-move
  grep -q '^started afresh after a fault: A 1 time (1 crash)$' "$dir/stdout" ||
    fail "the restart is not shown:" "$(tail -5 "$dir/stdout")"
}

# Everything the engine started is stopped while the opponent thinks, a
# child in a session of its own too.
add_case burner_stopped
case_burner_stopped() {
  cat >"$dir/opponent.sh" <<'EOF'
read -r child <"$BURNER" && for _ in 1 2 3 4 5 6 7 8 9 10; do
  state=$(cut -d' ' -f3 "/proc/$child/stat") && [ "$state" = T ] && break || sleep 0.01
done
echo "$state" >>"$STATES"
exec "$FIVEROW"
EOF
  BURNER=$dir/burner opponent="sh $dir/opponent.sh" pipe_case '. wins' -- burner "$dir/burner"
  [[ -s $dir/states && $(sort -u "$dir/states") == T ]] ||
    fail "not stopped while fiverow thinks: $(sort -u "$dir/states" 2>&1)"
}

# With --pin the pipe engine and the file engine, started at each move, are
# held to one and the same CPU.
add_case pinned
case_pinned() {
  cat >"$dir/opponent.sh" <<'EOF'
read -r pid <"$PIDFILE"
grep -h Cpus_allowed_list "/proc/$pid/status" /proc/self/status | cut -f2 >>"$STATES"
exec "$FIVEROW"
EOF
  opponent="sh $dir/opponent.sh" pipe_case '. wins' --pin -- legal
  [[ $(sort -u "$dir/states") =~ ^[0-9]+$ ]] || fail "not held to one CPU:" "$(sort -u "$dir/states")"
}

# Limits and settings for one engine: its own turn limit and increment,
# depth and an option of its own; the draw after a number of moves.
add_case per_engine_settings
case_per_engine_settings() {
  pipe_case 'draw: adjudicated a draw at 12 stones on the board after 12 moves' --draw-after 12 \
    --time-limit 2 --time-limit A:0.5 --match-time 30 --increment A:1 --depth A:6 \
    --engine-option A:hash_size=64 -- legal
  local heard
  heard=$(grep -E '^INFO (timeout_turn|max_depth|hash_size)' "$dir/log" | tr '\n' ' ')
  [[ $heard == 'INFO timeout_turn 500 INFO max_depth 6 INFO hash_size 64 ' ]] || fail "heard: $heard"
  # Each move's second back, with a second more: its clock grows.
  mapfile -t left < <(sed -n 's/^INFO time_left //p' "$dir/log")
  ((${#left[@]} >= 3 && left[2] > left[1] && left[1] > left[0])) || fail "time left: ${left[*]}"
}

# Under renju x's first free cell, 0,0, makes a four in its row and one in
# its column: a forbidden move, which loses. A pipe engine is told the rule.
add_case renju
case_renju() {
  referee --show none --rule renju \
    --opening "1,0 10,10 2,0 12,10 3,0 14,10 0,1 10,12 0,2 12,12 0,3 14,12" \
    "$fake file first" "$fiverow" ||
    fail "exit status $?" "$(head -c 600 "$dir/stderr")"
  grep -q '^game 1 (x A, o B): B wins: A (x) made a forbidden double-four at 0,0 after 1 move' \
    "$dir/stdout" || fail "not forbidden:" "$(grep '^game' "$dir/stdout")"
  check_nothing_left
  pipe_case '. wins' --rule renju -- legal
  grep -qx 'INFO rule 4' "$dir/log" || fail "not told INFO rule 4" "$(grep INFO "$dir/log")"
}

# On another board the engine is told its size, and refusing it loses.
add_case board_size
case_board_size() {
  local opponent="pipe:$fake pipe legal"
  pipe_case '. wins: . \(.\) made five in a row' --board-size 15 -- legal
  grep -qx 'START 15' "$dir/log" || fail "not told START 15" "$(head -1 "$dir/log")"
  pipe_case 'B wins: A \(x\) refused START 15: "ERROR no room" after 0 moves' --board-size 15 -- refuse
}

# It ends at its first move, leaving a child in a session of its own that
# writes to its output without end and without a line end: the referee
# reads a bounded amount after the exit, and kills the child.
add_case exit_leaving_a_writer
case_exit_leaving_a_writer() {
  cat >"$dir/engine.sh" <<'EOF'
while read -r line; do
  case $line in
    START*) echo OK ;;
    ABOUT*) echo 'name="writer"' ;;
    BEGIN* | TURN* | DONE*) setsid sh -c 'while :; do printf xxxxxxxxxxxxxxxx; done' & exit 3 ;;
  esac
done
EOF
  local start=$SECONDS
  referee --show none "pipe:bash $dir/engine.sh" "$fiverow" ||
    fail "exit status $?" "$(head -c 600 "$dir/stderr")"
  ((SECONDS - start < 10)) || fail "took $((SECONDS - start)) s"
  grep -q '^game 1 (x A, o B): B wins: A (x) exited with status 3' "$dir/stdout" ||
    fail "not a crash:" "$(grep '^game' "$dir/stdout")"
  check_nothing_left
}

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
  pipe_case 'B wins: A \(x\) ran out of its match time of 1 s: no move came within it plus the margin of 0.1 s after [0-9]+ moves' \
    --match-time 1 -- slow 400
}

add_case max_memory
case_max_memory() {
  pipe_case 'B wins: A \(x\) out of memory \([0-9]+ MB over its limit of 64 MB\) after 0 moves' \
    --max-memory A:64 -- hog
}

# Four games at once, each between a pipe engine and a file engine that
# leaves a child at every move: every game ends, and every child is killed.
add_case four_games_at_once
case_four_games_at_once() {
  referee --show none --games 8 --concurrency 4 \
    "pipe:$fake pipe legal" "$fake file straggler $dir/pids" ||
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

# A command heard while it thinks is refused, and the move follows it. (The
# 5 ms between them are not measured here: under load the reader may take
# both lines at once.)
add_case fake_error_race
case_fake_error_race() {
  talk error-race 2000
  say 'START 20' BEGIN FOO
  hear
  hear && [[ $heard == 'ERROR Unknown command: FOO' ]] || fail "heard '$heard'"
  hear && [[ $heard == 10,10 ]] || fail "then '$heard'"
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
