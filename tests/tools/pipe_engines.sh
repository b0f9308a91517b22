#!/usr/bin/env bash
# Scripted pipe engines against the built referee. Each engine is a few lines
# of bash on top of serve() below, played as engine A (x) against fiverow for
# one game. Every case checks the result line and its reason, that the match
# ends in time, and that nothing the referee started is left running.
#
# Usage: pipe_engines.sh FIVEROW_MATCH FIVEROW
set -u

(($# == 2)) || { echo "usage: $0 FIVEROW_MATCH FIVEROW" >&2; exit 2; }
match=$(realpath "$1") fiverow=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
marker=fiverow-pipe-$$-$RANDOM
passed=0 failed=0
. "$(dirname "$0")/../support/shell_cases.sh"

# The protocol, served: OK to START, the first free cell of rows 0 to 3 for
# each move asked for, an exit at END. Cases redefine start, move or end.
# Every line heard goes to $LOG.
cat >"$work/serve.sh" <<'SERVE'
taken=" "
start() { printf 'OK\r\n'; }
move() {
  local x y
  for y in 0 1 2 3; do for x in 0 1 2 3 4 5 6 7 8 9; do
    case $taken in *" $x,$y "*) ;; *) taken="$taken$x,$y "; printf '%s,%s\r\n' $x $y; return ;; esac
  done; done
}
end() { exit 0; }
serve() {
  while IFS= read -r line; do
    line=${line%$'\r'}
    printf '%s\n' "$line" >>"$LOG"
    case $line in
      START*) start ;;
      TURN*) taken="$taken${line#TURN } "; move ;;
      BEGIN | DONE) move ;;
      [0-9]*,*,*) taken="$taken${line%,*} " ;;
      END) end ;;
    esac
  done
}
SERVE

# pipe_case NAME REGEX [REFEREE_ARGS...] <<SCRIPT: the game's result line must
# match REGEX; the case's folder is $dir.
pipe_case() {
  local name=$1 expected=$2
  shift 2
  dir=$work/$name
  mkdir -p "$dir/tmp"
  { echo ". $work/serve.sh"; cat; echo serve; } >"$dir/engine.sh"
  case_failed=
  local start=$SECONDS
  (cd "$dir" && exec env FIVEROW_PIPE="$marker" TMPDIR="$dir/tmp" LOG="$dir/log" \
    FIVEROW="$fiverow" PIDFILE="$dir/pid" STATES="$dir/states" \
    timeout -s KILL 60 "$match" --show none --time-limit 3 "$@" "pipe:bash $dir/engine.sh" \
    "${opponent:-$fiverow}" >stdout 2>stderr </dev/null) ||
    fail "exit status $?" "$(head -c 600 "$dir/stderr")"
  ((SECONDS - start < 20)) || fail "took $((SECONDS - start)) s"
  grep -Eq "^game 1 \(x A, o B\): $expected" "$dir/stdout" ||
    fail "the game does not end with: $expected" "$(grep '^game' "$dir/stdout")"
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
cat >"$work/opponent.sh" <<'EOF'
read -r pid <"$PIDFILE" && cut -d' ' -f3 "/proc/$pid/stat" >>"$STATES"
exec "$FIVEROW"
EOF
opponent="sh $work/opponent.sh" pipe_case legal 'B wins: B \(o\) made five in a row' \
  --opening "9,9 10,10" --record records --show each <<'EOF'
echo $$ >"$PIDFILE"
eval "base_$(declare -f move)"
move() { printf 'MESSAGE thinking \033[31mhard\nDEBUG depth 1\r'; base_move; }
EOF
expected_log=$'START 20\nINFO timeout_turn 3000\nINFO timeout_match 0\nINFO max_memory 0
INFO game_type 1\nINFO rule 0\nINFO time_left 2147483647\nBOARD\n9,9,1\n10,10,2\nDONE
INFO time_left 2147483647\nTURN '
[[ $(cat "$dir/log") == "$expected_log"* ]] || fail "heard:" "$(head -14 "$dir/log")"
[[ $(tail -1 "$dir/log") == END ]] || fail "no END at the end"
[[ $(sort -u "$dir/states") == T ]] || fail "not stopped while fiverow thinks: $(cat "$dir/states")"
grep -qF '  x (A) MESSAGE thinking \x1b[31mhard' "$dir/stdout" || fail "the MESSAGE line is not shown"
! grep -q $'\033' "$dir/stdout" || fail "a raw escape character was shown"
grep -qxF 'x DEBUG depth 1' "$dir/records/game-001.txt" || fail "the DEBUG line is not recorded"
grep -qx 'x protocol: pipe' "$dir/records/game-001.txt" || fail "the protocol is not recorded"
finish_case legal

pipe_case unknown 'B wins: A \(x\) answered "UNKNOWN BEGIN" instead of a move after 0 moves' <<'EOF'
move() { printf 'UNKNOWN BEGIN\n'; }
EOF
finish_case unknown

pipe_case garbage 'B wins: A \(x\) answered "hello" instead of a move X,Y after 0 moves' <<'EOF'
move() { printf 'hello\r\n'; }
EOF
grep -qx BEGIN "$dir/log" || fail "no BEGIN on an empty board"
finish_case garbage

pipe_case start_refused 'B wins: A \(x\) refused START 20: "ERROR no room" after 0 moves' <<'EOF'
start() { printf 'ERROR no room\r\n'; }
EOF
finish_case start_refused

pipe_case silent 'B wins: A \(x\) ran over the time limit of 1 s after 0 moves' \
  --time-limit 1 <<'EOF'
move() { sleep 30; }
EOF
finish_case silent

# Under renju the engine is told the rule, and x's first free cell, 0,0,
# makes a four in its row and one in its column: a forbidden move, which loses.
pipe_case renju 'B wins: A \(x\) made a forbidden double-four at 0,0 after 1 move' \
  --rule renju --opening "1,0 10,10 2,0 12,10 3,0 14,10 0,1 10,12 0,2 12,12 0,3 14,12" <<'EOF'
EOF
grep -qx 'INFO rule 4' "$dir/log" || fail "not told INFO rule 4" "$(grep INFO "$dir/log")"
finish_case renju

# It exits after its first move: the next TURN finds no reader.
pipe_case exits_mid_game 'B wins: A \(x\) exited with status 3 after 2 moves' <<'EOF'
eval "base_$(declare -f move)"
move() { base_move; exit 3; }
EOF
finish_case exits_mid_game

started=${EPOCHREALTIME/./}
pipe_case ignores_end 'B wins: B \(o\) made five in a row' <<'EOF'
end() { exec sleep 30; }
EOF
((${EPOCHREALTIME/./} - started >= 1000000)) || fail "not given a second to end"
finish_case ignores_end

pipe_case match_time 'B wins: A \(x\) ran out of its match time of 1 s after [0-9]+ moves' \
  --match-time 1 <<'EOF'
eval "base_$(declare -f move)"
move() { sleep 0.4; base_move; }
EOF
finish_case match_time

pipe_case max_memory \
  'B wins: A \(x\) exited with status 2: out of memory \(its limit is 64 MB\) after 0 moves' \
  --max-memory 64 <<'EOF'
move() { printf -v held '%*s' 100000000 ''; }
EOF
grep -q 'cannot allocate' "$dir/stdout" || fail "its error output is not shown"
finish_case max_memory

echo "pipe engines: $passed passed, $failed failed"
((failed == 0))
