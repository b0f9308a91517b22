#!/usr/bin/env bash
# Hostile engines against the built referee. Each engine attacks the files or
# processes around it in a few lines of shell, or is the fake engine in one of
# its modes, and is played as engine A against fiverow for two games (x, then
# o). Every case checks that the match reaches its summary within a time
# bound, with the expected loser and reason; that a decoy file and a decoy
# folder outside the engine's folder keep their bytes; that no process
# carrying the case's marker is left; and that the referee's temporary folder
# is gone.
#
# Usage: hostile_engines.sh [--case NAME] FIVEROW_MATCH FIVEROW FAKE_ENGINE
#        hostile_engines.sh --list
# Cases marked "nobody" run the referee as that user when the suite runs as
# root, so that file permissions apply; it runs copies of the programs, which
# it can reach wherever the build is.
set -u
. "$(dirname "$0")/../support/shell_cases.sh"

# check_clean: nothing outside the engine's folder changed, nothing is left.
check_clean() {
  cmp -s "$case_dir/decoy" <(printf 'top secret\n') || fail "the decoy file changed"
  cmp -s "$case_dir/decoys/Plocha.dat" <(printf 'decoy board\n') ||
    fail "the decoy folder changed"
  local left
  left=$(leftovers "FIVEROW_HOSTILE=$marker")
  [[ -z $left ]] || fail "processes left:" "$(ps -o pid,cmd -p "${left//$'\n'/,}" 2>&1)"
  [[ -z $(ls -A "$case_dir/tmp") ]] || fail "folders left: $(ls -A "$case_dir/tmp")"
  [[ ! -s $case_dir/survivors ]] || fail "outlived their move: $(cat "$case_dir/survivors")"
}

start_case() { case_name=$1; }

new_case() {
  case_dir=$work/$1
  marker=$marker_base-$1
  mkdir -p "$case_dir/tmp" "$case_dir/decoys"
  printf 'top secret\n' >"$case_dir/decoy"
  printf 'decoy board\n' >"$case_dir/decoys/Plocha.dat"
  cat >"$case_dir/engine.sh"
  as=() run_match=$match run_fiverow=$fiverow
  if [[ ${2:-} == nobody && $EUID == 0 ]]; then
    chown -R nobody:nogroup "$case_dir"
    as_nobody
  fi
}

# as_nobody: the referee is to run as nobody, and so from copies of the
# programs in a folder that nobody may enter, wherever the build is.
as_nobody() {
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  run_match=$work/bin/${match##*/} run_fiverow=$work/bin/${fiverow##*/}
  mkdir -p "$work/bin"
  cp "$match" "$run_match"
  cp "$fiverow" "$run_fiverow"
  chmod 755 "$work/bin" "$run_match" "$run_fiverow"
  "${as[@]}" test -x "$run_match" || fail "nobody cannot run programs from $work"
}

# referee [ARGS...]: runs the referee in the case folder, as nobody for a
# "nobody" case, with the marker and the decoys in the engine's environment.
referee() {
  (cd "$case_dir" && exec "${as[@]}" env FIVEROW_HOSTILE="$marker" TMPDIR="$case_dir/tmp" \
    DECOY="$case_dir/decoy" DECOYS="$case_dir/decoys" FIVEROW="$run_fiverow" \
    SURVIVORS="$case_dir/survivors" FAKE_ENGINE="$fake" \
    timeout -s KILL 120 "$run_match" "$@" >stdout 2>stderr </dev/null)
}

# hostile [nobody] [CHECK] <<TEXT: TEXT is the engine's script, a line
# "----", then an extended regex per game that its result line must match
# (FIVE: the game ended in five in a row, with no fault). CHECK, a function,
# may check more.
hostile() {
  local name=$case_name who=${1:-} check=${2:-} text expected=() line
  text=$(cat)
  while IFS= read -r line; do
    [[ $line == FIVE ]] && line='. wins: . \(.\) made [a-z0-9]+ in a row'
    expected+=("$line")
  done <<<"${text#*$'\n----\n'}"
  new_case "$name" "$who" <<<"${text%%$'\n----\n'*}"
  local start=$SECONDS status
  referee --games 2 --show none --time-limit 3 "sh $case_dir/engine.sh" "$run_fiverow"
  status=$?
  ((status == 0)) || fail "exit status $status" "$(head -c 600 "$case_dir/stderr")"
  ((SECONDS - start < 60)) || fail "took $((SECONDS - start)) s"
  grep -q '^engine   wins' "$case_dir/stdout" || fail "no summary"
  local game=0
  for line in "${expected[@]}"; do
    game=$((game + 1))
    grep -Eq "^game $game of 2 .*: $line" "$case_dir/stdout" ||
      fail "game $game does not end with: $line" "$(grep "^game $game" "$case_dir/stdout")"
  done
  check_clean
  [[ -z $check ]] || "$check"
}

# ---- cases -----------------------------------------------------------------

add_case links_as_the_move
case_links_as_the_move() {
  hostile <<'EOF'
if grep -q o Tah.dat; then ln -sf "$DECOY" Tah.dat; else ln -f "$DECOY" Tah.dat; fi
----
B wins: A \(x\) Tah.dat is a symbolic link after 0 moves
B wins: A \(o\) Tah.dat is a hard link to another file after 1 move
EOF
}

add_case link_as_the_position
case_link_as_the_position() {
  hostile <<'EOF'
"$FIVEROW" || exit
rm -f Plocha.dat && ln -s "$DECOY" Plocha.dat
----
FIVE
FIVE
EOF
}

add_case folder_swapped_for_a_link
case_folder_swapped_for_a_link() {
  hostile <<'EOF'
"$FIVEROW" || exit
here=$PWD && cd .. && mv "$here" "$here.$$" && ln -s "$DECOYS" "$here"
----
FIVE
FIVE
EOF
}

# The move goes with the folder; the folder is made again for game 2.
add_case folder_removed
case_folder_removed() {
  hostile <<'EOF'
"$FIVEROW" && rm -rf "$PWD"
----
B wins: A \(x\) left no Tah.dat after 0 moves
B wins: A \(o\) left no Tah.dat after 1 move
EOF
}

add_case position_made_a_locked_folder
case_position_made_a_locked_folder() {
  hostile nobody <<'EOF'
"$FIVEROW" || exit
rm Plocha.dat && mkdir -p Plocha.dat/inner && chmod 000 Plocha.dat/inner Plocha.dat
----
FIVE
FIVE
EOF
}

add_case fifos_instead_of_files
case_fifos_instead_of_files() {
  hostile <<'EOF'
rm -f Tah.dat Plocha.dat && mkfifo Tah.dat Plocha.dat
----
B wins: A \(x\) Tah.dat is not a regular file after 0 moves
B wins: A \(o\) Tah.dat is not a regular file after 1 move
EOF
}

# The move cannot be read from a locked folder; the folder is unlocked for
# game 2.
add_case folder_locked
case_folder_locked() {
  hostile nobody <<'EOF'
"$FIVEROW" && chmod 000 .
----
B wins: A \(x\) Tah.dat cannot be read: Permission denied after 0 moves
B wins: A \(o\) Tah.dat cannot be read: Permission denied after 1 move
EOF
}

add_case move_unreadable
case_move_unreadable() {
  hostile nobody <<'EOF'
"$FIVEROW" && chmod 000 Tah.dat
----
B wins: A \(x\) Tah.dat cannot be read: Permission denied
B wins: A \(o\) Tah.dat cannot be read: Permission denied
EOF
}

# Children that leave the process group (setsid) or are orphaned at once
# (a double fork); at its next move the engine checks that the last ones died.
add_case children_that_escape
case_children_that_escape() {
  hostile <<'EOF'
for f in escaped orphan; do [ -s $f ] && kill -0 "$(cat $f)" 2>/dev/null && echo "$f" >>"$SURVIVORS"; done
rm -f escaped orphan
setsid -f sh -c 'echo $$ >escaped; exec sleep 300'
(sh -c 'echo $$ >orphan; exec sleep 300' &)
until [ -s escaped ] && [ -s orphan ]; do sleep 0.01; done
exec "$FIVEROW"
----
FIVE
FIVE
EOF
}

# What an engine prints is shown escaped, and a cut marked as one.
shown_escaped_and_cut() {
  grep -qF '    | \x1b[2J\x1b]0;owned\x07\x1b[1A\x1b[2Kgame 1 of 2: A wins' "$case_dir/stdout" ||
    fail "the output is not shown escaped"
  grep -q '(cut: only the first 64 KiB are shown)' "$case_dir/stdout" || fail "no cut shown"
  ! grep -q $'\033' "$case_dir/stdout" || fail "a raw escape character was shown"
}
add_case terminal_escapes_in_the_output
case_terminal_escapes_in_the_output() {
  hostile '' shown_escaped_and_cut <<'EOF'
exec "$FAKE_ENGINE" file escapes
----
B wins: A \(x\) exited with status 3 after 0 moves
B wins: A \(o\) exited with status 3 after 1 move
EOF
}

# ---- signals to the referee ------------------------------------------------

# stopped_by SIGNAL: the referee, stopped while the engine thinks, kills the
# engine, removes its folders and ends with status 1. After SIGKILL only the
# engine's parent-death signal is left to end it, and the folder stays.
stopped_by() {
  local signal=$1
  new_case "stopped_by_$signal" <<'EOF'
echo $$ >"$SURVIVORS.engine"
exec sleep 300
EOF
  local start=$SECONDS
  # Started from a script, the referee would inherit SIGINT and SIGQUIT ignored.
  referee_pid=$(
    cd "$case_dir" || exit
    env --default-signal=INT,QUIT FIVEROW_HOSTILE="$marker" TMPDIR="$case_dir/tmp" \
      SURVIVORS="$case_dir/survivors" \
      "$match" --time-limit 100 "sh $case_dir/engine.sh" >stdout 2>stderr </dev/null &
    echo $!
  )
  until [[ -s $case_dir/survivors.engine ]] || ((SECONDS - start > 30)); do sleep 0.05; done
  local engine_pid
  engine_pid=$(cat "$case_dir/survivors.engine")
  kill "-$signal" "$referee_pid"
  while kill -0 "$referee_pid" 2>/dev/null && ((SECONDS - start < 30)); do sleep 0.05; done
  if [[ $signal == KILL ]]; then
    while [[ -n $(leftovers "FIVEROW_HOSTILE=$marker") ]] && ((SECONDS - start < 30)); do
      sleep 0.05
    done
    [[ -n $(ls -A "$case_dir/tmp") ]] || fail "no folder was left to remove"
    rm -rf "${case_dir:?}/tmp/"*
  else
    grep -q 'fiverow-match: stopped' "$case_dir/stderr" || fail "not stopped: $(cat "$case_dir/stderr")"
  fi
  # Read from /proc, not ps, so that the check holds where procps is missing.
  local stat=
  stat=$(cat "/proc/$engine_pid/stat" 2>/dev/null) || true
  stat=${stat##*) }
  [[ -n $stat && ${stat%% *} != Z ]] && fail "the engine $engine_pid still runs"
  rm -f "$case_dir/survivors.engine"
  check_clean
}

for signal in INT TERM HUP QUIT USR1 USR2 ALRM VTALRM PROF XCPU KILL; do
  add_case "stopped_by_$signal"
  eval "case_stopped_by_$signal() { stopped_by $signal; }"
done

# Ctrl-C while two games are played at once, each engine with a child that
# left its session: every engine and child dies, every folder goes.
add_case stopped_in_parallel
case_stopped_in_parallel() {
  new_case stopped_in_parallel <<'EOF'
setsid -f sh -c 'exec sleep 300'
echo $$ >"$SURVIVORS.engine.$$"
exec sleep 300
EOF
  local start=$SECONDS
  referee_pid=$(
    cd "$case_dir" || exit
    env --default-signal=INT FIVEROW_HOSTILE="$marker" TMPDIR="$case_dir/tmp" \
      SURVIVORS="$case_dir/survivors" "$match" --games 4 --concurrency 2 --time-limit 100 \
      "sh $case_dir/engine.sh" "sh $case_dir/engine.sh" >stdout 2>stderr </dev/null &
    echo $!
  )
  until (($(ls "$case_dir" | grep -c '^survivors.engine') == 2)) || ((SECONDS - start > 30)); do
    sleep 0.05
  done
  kill -INT "$referee_pid"
  while kill -0 "$referee_pid" 2>/dev/null && ((SECONDS - start < 30)); do sleep 0.05; done
  grep -q 'fiverow-match: stopped' "$case_dir/stderr" || fail "not stopped: $(cat "$case_dir/stderr")"
  ! grep -q '^game' "$case_dir/stdout" || fail "a stopped game was reported"
  rm -f "$case_dir"/survivors.engine.*
  check_clean
}

# Ctrl-C after two games: every engine ends, every folder goes, and the
# games played are summed up.
add_case stopped_sums_up_the_games_played
case_stopped_sums_up_the_games_played() {
  new_case stopped_sums_up_the_games_played </dev/null
  local start=$SECONDS
  referee_pid=$(
    cd "$case_dir" || exit
    env --default-signal=INT FIVEROW_HOSTILE="$marker" TMPDIR="$case_dir/tmp" "$match" \
      --games 40 "pipe:$fake pipe slow 20" "pipe:$fake pipe slow 20" >stdout 2>stderr </dev/null &
    echo $!
  )
  until grep -q '^game 2 of' "$case_dir/stdout" || ((SECONDS - start > 30)); do sleep 0.05; done
  kill -INT "$referee_pid"
  while kill -0 "$referee_pid" 2>/dev/null && ((SECONDS - start < 60)); do sleep 0.05; done
  grep -q 'fiverow-match: stopped' "$case_dir/stderr" || fail "not stopped: $(cat "$case_dir/stderr")"
  grep -q '^engine   wins' "$case_dir/stdout" || fail "no summary:" "$(cat "$case_dir/stdout")"
  check_clean
}

# ---- main ------------------------------------------------------------------

case_options "$@"
shift "$options_taken"
(($# == 3)) || {
  echo "usage: $0 [--case NAME] FIVEROW_MATCH FIVEROW FAKE_ENGINE | --list" >&2
  exit 2
}
match=$(realpath "$1") fiverow=$(realpath "$2") fake=$(realpath "$3")
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
marker_base=fiverow-hostile-$$-$RANDOM
run_cases hostile_engines ""
