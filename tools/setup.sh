#!/usr/bin/env bash
# Installs on Debian 12 what one part of Hintbar needs, skipping what is there:
#
#   bash tools/setup.sh [GROUP...]
#
#   shell    the Linux flavour and its reference shell (tools/run-shell.sh)
#   windows  the cross-compilers of the two DLLs (tools/package.sh)
#   wine     Wine and a virtual display, which run the Windows programs
#   pictures ImageMagick, tmux and a font, which the screenshot scripts need
#   tools    the compilers and tools of fuzzing, lint, coverage and benchmarks
#   all      shell, windows, wine and the tools of the tests, fuzzing, lint, coverage and
#            benchmarks (tools/test.sh); the default
#
# It says which packages it will install before it does. While another program holds the
# package manager's lock, it waits for it, up to HB_APT_LOCK_WAIT seconds (600). A package
# index that a mirror serves half-synced is a warning, and an install that then fails on
# versions that differ between the 32-bit and 64-bit sides is tried again with the release's
# own versions for both. HB_APT is a
# command to run in place of apt-get (with sudo), for the tests. Sourced, it only defines its
# functions.

declare -A hb_groups=(
  [shell]="cmake make g++ pkg-config python3 libgtest-dev libgmock-dev libicu-dev libreadline-dev"
  [windows]="cmake make python3 libgtest-dev libgmock-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64"
  [wine]="wine wine32:i386 wine64 xvfb xauth"
  [pictures]="imagemagick tmux fonts-dejavu-core xvfb"
  [tools]="libbenchmark-dev clang-14 libclang-rt-14-dev llvm-14 clang-format-14 clang-tidy-14
           tmux gcovr patch git"
)

hb_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Runs apt-get (or HB_APT) with the arguments and keeps what it said on error in $hb_apt_said.
# When it fails because another program holds the package manager's lock (an automatic update,
# say), it tries again every second, for HB_APT_LOCK_WAIT seconds at the most; then it says
# what failed and what to run ($hb_rerun) and returns 1. Any other failure returns 2, with
# apt's words shown and left for the caller to judge.
hb_apt_try() {
  local wait=${HB_APT_LOCK_WAIT:-600} rerun=${hb_rerun:-bash tools/setup.sh} err status said=""
  local deadline=$((SECONDS + wait)) shown="$wait s"
  [ "$wait" -lt 60 ] || [ $((wait % 60)) != 0 ] || shown="$((wait / 60)) min"
  local apt=(hb_as_root apt-get)
  [ -z "${HB_APT:-}" ] || apt=("$HB_APT")
  err=$(mktemp)
  hb_apt_said=""
  while :; do
    # apt's own words, which the tests below read, are English in the C locale.
    status=0
    LC_ALL=C DEBIAN_FRONTEND=noninteractive "${apt[@]}" "$@" 2>"$err" || status=$?
    hb_apt_said=$(cat "$err")
    if [ "$status" = 0 ]; then
      cat "$err" >&2
      rm -f "$err"
      return 0
    fi
    # "Could not get lock X. It is held by process N": busy. A user who may not take the lock
    # reads "Could not open lock file" and is told at once.
    if ! grep -q 'Could not get lock' "$err"; then
      cat "$err" >&2
      rm -f "$err"
      hb_apt_status=$status
      return 2
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

# Says that "apt-get ARGS" failed and what to run once it is mended.
hb_apt_failed() {
  echo "setup: \"apt-get $*\" failed (exit status $hb_apt_status); the lines above say why." >&2
  echo "setup: mend that, then run: ${hb_rerun:-bash tools/setup.sh}" >&2
}

# apt-get with the lock wait; any failure is the end, told with what to run.
hb_apt() {
  local status=0
  hb_apt_try "$@" || status=$?
  [ "$status" != 2 ] || hb_apt_failed "$@"
  [ "$status" = 0 ]
}

# Reads the package indexes. A mirror caught in the middle of a sync serves an index that does
# not match its release file; apt then keeps an older copy or none, and the packages of every
# other index can still be installed. Such a failure is a warning naming the index; any other
# is the end.
hb_apt_update() {
  local status=0 url
  hb_apt_try update -qq || status=$?
  [ "$status" = 2 ] || return "$status"
  # Every error must be about fetching an index, or this is something else.
  if printf '%s\n' "$hb_apt_said" | grep '^E: ' |
    grep -v -q -E '^E: (Failed to fetch |Some index files failed to download)'; then
    hb_apt_failed update -qq
    return 1
  fi
  if ! printf '%s\n' "$hb_apt_said" | grep -q '^E: Failed to fetch '; then
    hb_apt_failed update -qq
    return 1
  fi
  printf '%s\n' "$hb_apt_said" | sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' |
    while read -r url; do
      echo "setup: warning: the package index $url could not be read (the mirror may be" \
        "in the middle of a sync); going on with the indexes that could" >&2
    done
  return 0
}

# The release the system follows, such as bookworm, from /etc/os-release (HB_OS_RELEASE for the
# tests).
hb_release() {
  (
    # shellcheck source=/dev/null
    . "${HB_OS_RELEASE:-/etc/os-release}" 2>/dev/null && echo "${VERSION_CODENAME:-}"
  )
}

# Installs the packages. When an index was stale, the newest version of a library may be known
# for one architecture only, and a 32-bit package that must match the 64-bit one's version
# cannot be installed ("held broken packages"). The release's own versions exist for both, so
# it tries once more with them preferred (a default-release pin), and says so.
hb_apt_install() {
  local status=0 release
  hb_apt_try install -y -qq "$@" >/dev/null || status=$?
  [ "$status" = 2 ] || return "$status"
  release=$(hb_release)
  if [ -z "$release" ] ||
    ! printf '%s\n' "$hb_apt_said" | grep -q -E 'held broken packages|unmet dependencies|Unmet dependencies'; then
    hb_apt_failed install -y -qq "$@"
    return 1
  fi
  echo "setup: the packages' versions do not match across architectures; trying again with" \
    "the versions of the release itself, $release, for both" >&2
  status=0
  hb_apt_try install -y -qq -o "APT::Default-Release=$release" "$@" >/dev/null || status=$?
  [ "$status" != 2 ] || hb_apt_failed install -y -qq -o "APT::Default-Release=$release" "$@"
  [ "$status" = 0 ]
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
    if [ "$group" = --help ] || [ "$group" = -h ]; then
      sed -n '2,/^$/{s/^# \{0,1\}//p}' "${BASH_SOURCE[0]}"
      return 0
    fi
    if [ -z "${hb_groups[$group]:-}" ]; then
      echo "setup: unknown group \"$group\"; the groups are shell, windows, wine, pictures," \
        "tools and all (bash tools/setup.sh --help says what each installs)" >&2
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
  hb_apt_update && hb_apt_install "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  hb_rerun="bash tools/setup.sh $*"
  hb_setup "$@"
fi
