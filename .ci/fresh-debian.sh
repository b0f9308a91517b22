#!/usr/bin/env bash
# Runs the README's two commands, as the README shows them, in a fresh Debian
# 12 root: debootstrap's minbase with git and sudo, from the mirror of this
# machine's apt sources. The project is cloned (this repository at HEAD) and
# both commands run first as a normal user with passwordless sudo in its home,
# so that its sudo installs are the ones tested, then as root in /root. Each
# run starts from an empty environment. The root, its mounts and anything
# still running in it are removed on exit, failed or interrupted.
#   .ci/fresh-debian.sh    (as root; needs debootstrap)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
user=newcomer

((EUID == 0)) || { echo "fresh-debian.sh: run as root" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "fresh-debian.sh: needs debootstrap" >&2; exit 1; }

# ---- output ------------------------------------------------------------------

started=$SECONDS
section() { printf '\n==== %s  [%s, %s into the run]\n' "$1" "$(date +%T)" "$(elapsed $started)"; }
elapsed() { local s=$((SECONDS - $1)); printf '%dm%02ds' $((s / 60)) $((s % 60)); }
# step TITLE COMMAND...: runs COMMAND (in a subshell, errors stopping it) under
# a header and says how long it took.
step() {
  local title=$1 start=$SECONDS status=0
  shift
  section "$title"
  (set -e && "$@") || status=$?
  printf -- '---- %s: %s, status %d\n' "$title" "$(elapsed $start)" $status
  return $status
}

# ---- the README's commands ------------------------------------------------------

# readme_commands HEADING: the commands of the first console block under the
# README's "## HEADING", one a line (a command continued by a trailing
# backslash keeps its lines).
readme_commands() {
  awk -v heading="## $1" '
    $0 == heading { inside = 1; next }
    inside && /^## / { exit }
    inside && !block && $0 == "```console" { block = 1; next }
    block && /^```/ { exit }
    block && (more || /^\$ /) {
      line = more ? $0 : substr($0, 3)
      command = more ? command "\n" line : line
      more = /\\$/
      if (!more) print command
    }' "$repo/README.md"
}
quick_start=$(readme_commands "Quick start")
run_tests=$(readme_commands "Run the tests")
for commands in "$quick_start" "$run_tests"; do
  [[ -n $commands ]] || { echo "fresh-debian.sh: no command found in README.md" >&2; exit 1; }
done

# as_script COMMANDS: a bash script that shows and runs each command in turn,
# stopping at the first that fails.
as_script() {
  local line command="" script=""
  while IFS= read -r line; do
    command+=$line
    if [[ $line == *\\ ]]; then command+=$'\n' && continue; fi
    script+="printf '%s\\n' $(printf %q "\$ $command")"$'\n'"{ $command"$'\n'"} || exit"$'\n'
    command=""
  done <<<"$1"
  printf '%s' "$script"
}

# ---- the mirror ---------------------------------------------------------------

# debian_sources: "URI SUITE COMPONENTS..." for each enabled binary source of
# this machine's apt (one-line and deb822 files) whose suite is bookworm's.
debian_sources() {
  local file
  {
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      if [[ -f $file ]]; then
        awk '$1 == "deb" { sub(/^deb[ \t]+(\[[^]]*\][ \t]+)?/, ""); print }' "$file"
      fi
    done
    for file in /etc/apt/sources.list.d/*.sources; do
      if [[ -f $file ]]; then
        awk '
          function flush(  u, s) {
            if (types ~ /(^| )deb( |$)/ && enabled != "no")
              for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++) print uris[u], suites[s], components
            types = ""; enabled = ""; components = ""; nu = 0; ns = 0
          }
          /^[ \t]*#/ { next }
          /^[ \t]*$/ { flush(); next }
          { key = tolower($1); sub(/^[^:]*:[ \t]*/, "") }
          key == "types:" { types = $0 }
          key == "enabled:" { enabled = tolower($0) }
          key == "uris:" { nu = split($0, uris) }
          key == "suites:" { ns = split($0, suites) }
          key == "components:" { components = $0 }
          END { flush() }' "$file"
      fi
    done
  } | awk '$2 ~ /^bookworm([-\/](updates|security))?$/' | sort -u
}
sources=$(debian_sources)
mirror=$(awk '$2 == "bookworm" { print $1; exit }' <<<"$sources")
[[ -n $mirror ]] || { echo "fresh-debian.sh: no bookworm mirror in this machine's apt sources" >&2; exit 1; }

# ---- the root, removed on exit ----------------------------------------------------

work=$(mktemp -d /var/tmp/fresh-debian.XXXXXX)
root=$work/root

cleanup() {
  local status=$? pid left
  trap - EXIT INT TERM
  section "removing the root"
  # Whatever still runs inside the root (a test's leftover, an interrupted build).
  for pid in /proc/[0-9]*; do
    [[ $(readlink "$pid/root" 2>/dev/null) == "$root" ]] && kill -KILL "${pid#/proc/}" 2>/dev/null
  done
  local mount
  for mount in $(mounted | tac); do
    umount "$mount" 2>/dev/null || umount -l "$mount" || true
  done
  left=$(mounted)
  if [[ -n $left ]]; then
    echo "fresh-debian.sh: still mounted, $work left in place: $left" >&2
  else
    # A test may leave an immutable file behind.
    rm -rf --one-file-system "$work" 2>/dev/null ||
      { chattr -R -i "$work" 2>/dev/null; rm -rf --one-file-system "$work"; }
  fi
  printf '\nfresh-debian.sh: %s after %s\n' "$( ((status == 0)) && echo passed || echo "FAILED (status $status)")" "$(elapsed $started)"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mounted() { awk -v root="$root/" 'index($5, root) == 1 { print $5 }' /proc/self/mountinfo; }
mount_in_root() { # mount_in_root TARGET MOUNT-ARGUMENTS...
  mkdir -p "$root$1"
  mount "${@:2}" "$root$1"
}

step "debootstrap bookworm from $mirror" \
  debootstrap --variant=minbase --include=git,sudo bookworm "$root" "$mirror"

configure_root() {
  # apt reads the same mirror as this machine, bookworm's updates and security
  # included; nothing is started as a service inside the root.
  awk '{ printf "deb %s %s", $1, $2; for (i = 3; i <= NF; i++) printf " %s", $i; print "" }' \
    <<<"$sources" >"$root/etc/apt/sources.list"
  cat "$root/etc/apt/sources.list"
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  # What the installer writes on a fresh machine.
  printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s\n\n::1\tlocalhost ip6-localhost ip6-loopback\nff02::1\tip6-allnodes\nff02::2\tip6-allrouters\n' \
    "$(cat "$root/etc/hostname")" >"$root/etc/hosts"

  mount_in_root /proc -t proc proc
  mount_in_root /sys --bind /sys
  mount -o remount,bind,ro "$root/sys"
  mount_in_root /dev -t tmpfs -o mode=755,nosuid tmpfs
  local node
  for node in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
    IFS=: read -r name major minor <<<"$node"
    mknod -m 666 "$root/dev/$name" c "$major" "$minor"
  done
  ln -s /proc/self/fd "$root/dev/fd"
  ln -s /proc/self/fd/0 "$root/dev/stdin"
  ln -s /proc/self/fd/1 "$root/dev/stdout"
  ln -s /proc/self/fd/2 "$root/dev/stderr"
  mount_in_root /dev/pts -t devpts -o newinstance,ptmxmode=0666,mode=620,gid=5 devpts
  ln -s pts/ptmx "$root/dev/ptmx"
  mount_in_root /dev/shm -t tmpfs -o mode=1777,nosuid,nodev tmpfs

  in_root useradd --create-home --shell /bin/bash "$user"
  printf '%s ALL=(ALL:ALL) NOPASSWD: ALL\n' "$user" >"$root/etc/sudoers.d/$user"
  chmod 440 "$root/etc/sudoers.d/$user"
  chmod 700 "$root/root"
  git -C "$repo" bundle create "$root/var/tmp/fiverow.bundle" HEAD
  chmod 644 "$root/var/tmp/fiverow.bundle"
}

# in_root COMMAND...: runs COMMAND as root inside the root, with an empty
# environment but PATH.
in_root() {
  env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin chroot "$root" "$@"
}

# as_login USER SCRIPT: runs the bash SCRIPT in USER's login shell inside the
# root, in USER's home, as a new login would (empty environment but the
# terminal type).
as_login() {
  env -i TERM=dumb "$(command -v chroot)" "$root" /usr/sbin/runuser --login "$1" -c "$2"
}

clone_script='git clone --quiet -c advice.detachedHead=false /var/tmp/fiverow.bundle fiverow && cd fiverow && git log -1 --format="HEAD %h %s"'

step "configuring the root: apt sources, mounts, user $user with sudo" configure_root
step "as $user: git clone" as_login "$user" "$clone_script"
step "as $user: the README's quick start" as_login "$user" "cd fiverow || exit"$'\n'"$(as_script "$quick_start")"
step "as $user: the README's test command" as_login "$user" "cd fiverow || exit"$'\n'"$(as_script "$run_tests")"
step "as root in /root: git clone" as_login root "$clone_script"
step "as root in /root: the README's quick start" as_login root "cd fiverow || exit"$'\n'"$(as_script "$quick_start")"
step "as root in /root: the README's test command" as_login root "cd fiverow || exit"$'\n'"$(as_script "$run_tests")"
