# Golden cases that need Windows itself: file attributes, sharing rules and
# the module name as the system reports it. Sourced by golden.sh; the cases
# run for a .exe engine, natively or under wine (`runner` holds the words
# before the engine's path).

# hold FILE read|write: starts hold_file (FIVEROW_HOLD_FILE, else
# hold_file.exe beside the engine) on FILE in the case directory, and waits
# until it holds the file open.
hold() {
  local hold_file=${FIVEROW_HOLD_FILE:-${engine_path%/*}/hold_file.exe}
  rm -f "$case_dir/hold.ready" "$case_dir/hold.release"
  (cd "$case_dir" && exec "${runner[@]}" "$hold_file" "$2" "$1" hold.ready hold.release \
    >hold.out 2>&1 </dev/null) &
  holder=$!
  local tries
  for ((tries = 0; tries < 300; tries++)); do
    [[ -e $case_dir/hold.ready ]] && return 0
    kill -0 "$holder" 2>/dev/null || break
    sleep 0.1
  done
  fail "the helper could not hold $1:" "$(cat "$case_dir/hold.out")"
  return 1
}

release() {
  touch "$case_dir/hold.release"
  wait "$holder"
}

# Another process reads Tah.dat and shares it for reading only: the engine
# reads its turn beside it, but may not rewrite the file.
case_turn_file_held_open_by_a_reader() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  hold Tah.dat read || return
  run_engine
  release
  expect_status 1
  expect_report EInOutError 'I/O error 32'
  expect_bytes Tah.dat 'o\r\n'
}

# Another process reads Plocha.dat and shares it for reading: the engine
# reads it beside that process and plays as usual.
case_position_file_held_open_by_a_reader() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  hold Plocha.dat read || return
  run_engine
  release
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '7,10'
}

# Another process writes Plocha.dat: the engine's open for reading does not
# share writing, so it fails at once.
case_position_file_held_open_by_a_writer() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  hold Plocha.dat write || return
  run_engine
  release
  expect_status 1
  expect_report EInOutError 'I/O error 32'
  expect_bytes Tah.dat 'o\r\n'
}

# Root ignores the read-only attribute, which wine keeps as the Unix write
# bits. A suite running as root therefore runs wine for that case as nobody,
# in a prefix of its own, on files that nobody owns.
owner_prefix= owner_env=()
as_nobody_under_wine() {
  [[ -n $wine_command ]] && ((EUID == 0)) || return 0
  owner_prefix=$work_root/wine-nobody
  owner_env=(setpriv --reuid=nobody --regid=nogroup --clear-groups
    env HOME="$owner_prefix" WINEPREFIX="$owner_prefix/prefix")
}

stop_owner_wine() {
  [[ -n $owner_prefix && -d $owner_prefix ]] || return 0
  "${owner_env[@]}" "$(wineserver_command)" -k 2>/dev/null
  return 0
}

# as_file_owner COMMAND...: runs a Windows command in the case directory as
# the user who owns the case's files.
as_file_owner() {
  local owner_runner=("${owner_env[@]}" "${runner[@]}")
  if [[ -n $owner_prefix && ! -d $owner_prefix ]]; then
    mkdir -p "$owner_prefix"
    chown nobody:nogroup "$owner_prefix"
    # The first start makes the prefix and talks about it; keep that apart.
    "${owner_runner[@]}" cmd /c exit 0 >"$owner_prefix/start.log" 2>&1 </dev/null
  fi
  (cd "$case_dir" && "${owner_runner[@]}" "$@")
}

case_read_only_turn_file_attribute() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  cp "$engine_path" "$case_dir/$module"
  as_nobody_under_wine
  [[ -n $owner_prefix ]] && chown -R nobody:nogroup "$case_dir"
  as_file_owner attrib +r Tah.dat </dev/null >/dev/null 2>&1
  local flags
  flags=$(as_file_owner attrib Tah.dat </dev/null 2>/dev/null)
  [[ ${flags:0:12} == *R* ]] || fail "attrib +r did not take: $flags"
  as_file_owner "./$module" >"$case_dir/stdout" 2>"$case_dir/stderr" </dev/null
  status=$?
  expect_status 1
  expect_report EInOutError 'File access denied'
  expect_bytes Tah.dat 'o\r\n'
}

# A hidden Tah.dat is rewritten like any other.
case_hidden_turn_file_is_rewritten() {
  trace_position >"$case_dir/Plocha.dat"
  printf 'o\r\n' >"$case_dir/Tah.dat"
  (cd "$case_dir" && "${runner[@]}" attrib +h Tah.dat </dev/null >/dev/null 2>&1)
  local flags
  flags=$(cd "$case_dir" && "${runner[@]}" attrib Tah.dat </dev/null 2>/dev/null)
  [[ ${flags:0:12} == *H* ]] || fail "attrib +h did not take: $flags"
  run_engine
  expect_status 0
  expect_silent
  expect_bytes Tah.dat '7,10'
}

# The report names the program by its own file as the system knows it, not
# by the name it was started with.
case_module_name_of_a_renamed_copy() {
  printf 'o\r\n' >"$case_dir/Tah.dat"
  mkdir "$case_dir/engines"
  cp "$engine_path" "$case_dir/engines/Engine 2.EXE"
  (cd "$case_dir" && "${runner[@]}" "engines/Engine 2.EXE" >stdout 2>stderr </dev/null)
  status=$?
  expect_status 1
  module="Engine 2.EXE" expect_report EInOutError 'File not found'
  expect_bytes Tah.dat 'o\r\n'
}

add_case position_file_held_open_by_a_reader windows
add_case turn_file_held_open_by_a_reader windows
add_case position_file_held_open_by_a_writer windows
add_case read_only_turn_file_attribute windows
add_case hidden_turn_file_is_rewritten windows
add_case module_name_of_a_renamed_copy windows
