#!/usr/bin/env bash
# Installs what building and testing fiverow needs and the machine lacks, on
# Debian 12 (or a Debian-like system with apt): CMake, Ninja, a C++ compiler,
# GoogleTest, Python 3 (the documentation's tests) and the tools the
# end-to-end tests use. Quick and silent when everything is there; runs
# apt-get as root, through sudo when not root.
#   scripts/setup.sh              what the presets dev and release need
#   scripts/setup.sh PACKAGE...   also these Debian packages, if not installed
set -euo pipefail

missing=()
need() { # need COMMAND-OR-FILE PACKAGE
  if [[ $1 == /* ]]; then
    [[ -e $1 ]] || missing+=("$2")
  else
    command -v "$1" >/dev/null 2>&1 || missing+=("$2")
  fi
}
need cmake cmake
need ninja ninja-build
need g++ g++
need pkg-config pkg-config  # finds cpp-httplib
need /usr/include/CLI/CLI.hpp libcli11-dev
need /usr/include/nlohmann/json.hpp nlohmann-json3-dev  # fiverow-match --events, fiverow-board
need /usr/include/httplib.h libcpp-httplib-dev          # fiverow-board
need /usr/include/gtest/gtest.h libgtest-dev
need chattr e2fsprogs  # the end-to-end tests
need setpriv util-linux
need ps procps
need /usr/bin/python3 python3  # the documentation's sessions (tests/docs/)
need help2man help2man  # the manual pages
need dpkg-shlibdeps dpkg-dev  # the Debian package's dependencies
for package in "$@"; do
  dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q ' installed$' ||
    missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "setup.sh: no apt-get here; please install: ${missing[*]}" >&2
  exit 1
fi
as_root=()
if ((EUID != 0)); then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup.sh: run this as root, or install sudo, to install: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi
echo "setup.sh: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
