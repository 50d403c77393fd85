#!/usr/bin/env bash
# Installs on Debian 12 what one part of Hintbar needs, skipping what is there:
#
#   bash tools/setup.sh [GROUP...]
#
#   shell    the Linux flavour and its reference shell (tools/run-shell.sh)
#   windows  the cross-compilers of the two DLLs (tools/package.sh)
#   wine     Wine and a virtual display, which run the Windows programs
#   all      these and the tools of the tests, fuzzing, lint, coverage and benchmarks
#            (tools/test.sh); the default
#
# It says which packages it will install before it does. While another program holds the
# package manager's lock, it waits for it, up to HB_APT_LOCK_WAIT seconds (600). HB_APT is a
# command to run in place of apt-get (with sudo), for the tests. Sourced, it only defines its
# functions.

declare -A hb_groups=(
  [shell]="cmake make g++ pkg-config python3 libgtest-dev libgmock-dev libicu-dev libreadline-dev"
  [windows]="cmake make python3 libgtest-dev libgmock-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64"
  [wine]="wine wine32:i386 wine64 xvfb xauth"
  [tools]="libbenchmark-dev clang-14 libclang-rt-14-dev llvm-14 clang-format-14 clang-tidy-14
           tmux gcovr patch git"
)

hb_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Runs apt-get (or HB_APT) with the arguments. When it fails because another program holds
# the package manager's lock (an automatic update, say), it tries again every second, for
# HB_APT_LOCK_WAIT seconds at the most; then it says what failed and what to run ($hb_rerun).
hb_apt() {
  local wait=${HB_APT_LOCK_WAIT:-600} rerun=${hb_rerun:-bash tools/setup.sh} err status said=""
  local deadline=$((SECONDS + wait)) shown="$wait s"
  [ "$wait" -lt 60 ] || [ $((wait % 60)) != 0 ] || shown="$((wait / 60)) min"
  local apt=(hb_as_root apt-get)
  [ -z "${HB_APT:-}" ] || apt=("$HB_APT")
  err=$(mktemp)
  while :; do
    # apt's own words, which the lock test below reads, are English in the C locale.
    status=0
    LC_ALL=C DEBIAN_FRONTEND=noninteractive "${apt[@]}" "$@" 2>"$err" || status=$?
    if [ "$status" = 0 ]; then
      cat "$err" >&2
      rm -f "$err"
      return 0
    fi
    # "Could not get lock X. It is held by process N": busy. A user who may not take the lock
    # reads "Could not open lock file" and is told at once.
    if ! grep -q 'Could not get lock' "$err"; then
      cat "$err" >&2
      echo "setup: \"apt-get $*\" failed (exit status $status); the lines above say why." >&2
      echo "setup: mend that, then run: $rerun" >&2
      rm -f "$err"
      return 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      cat "$err" >&2
      echo "setup: another program still holds the package manager's lock after $shown" \
        "(the lines above name it), so \"apt-get $1\" could not run." >&2
      echo "setup: let that program finish, or end it, then run: $rerun" >&2
      rm -f "$err"
      return 1
    fi
    if [ -z "$said" ]; then
      echo "setup: another program holds the package manager's lock:" >&2
      grep -m1 'Could not get lock' "$err" | sed 's/^/setup:   /' >&2
      echo "setup: waiting for it to finish (up to $shown; Ctrl-C stops)..." >&2
      said=1
    fi
    sleep 1
  done
}

# The packages of the groups that are not installed yet, one a line.
hb_missing_packages() {
  local group p
  for group in "$@"; do
    for p in ${hb_groups[$group]}; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
  done | awk '!seen[$0]++'
}

hb_setup() {
  local groups=("$@") group
  [ ${#groups[@]} -gt 0 ] || groups=(all)
  if [ "${groups[*]}" = all ]; then groups=(shell windows wine tools); fi
  for group in "${groups[@]}"; do
    if [ -z "${hb_groups[$group]:-}" ]; then
      echo "setup: unknown group \"$group\"; the groups are shell, windows, wine and all" >&2
      return 2
    fi
  done
  local missing
  mapfile -t missing < <(hb_missing_packages "${groups[@]}")
  [ ${#missing[@]} -gt 0 ] || return 0
  local how="as root"
  [ "$(id -u)" -eq 0 ] || how="through sudo"
  echo "setup: installing what is missing ($how, with apt-get): ${missing[*]}" >&2
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture, which 32-bit Wine needs" >&2
    hb_as_root dpkg --add-architecture i386
  fi
  hb_apt update -qq && hb_apt install -y -qq "${missing[@]}" >/dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  hb_rerun="bash tools/setup.sh $*"
  hb_setup "$@"
fi
