# shellcheck shell=bash
# Sourced by the scripts that run Windows programs under Wine. One display for the whole run
# and one Wine server for each build: starting either costs seconds. Both are stopped when the
# script exits; a script with clean-up of its own puts it in hb_on_exit.
hb_prefixes=()
hb_on_exit=""
hb_cleanup() {
  # Wine first: a display that goes while Wine's programs still use it makes them say
  # "X connection broken" on the way out.
  for prefix in "${hb_prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  [ -n "${hb_xvfb_pid:-}" ] && kill "$hb_xvfb_pid" 2>/dev/null || true
  eval "$hb_on_exit"
}
trap hb_cleanup EXIT

# A display for the windows the programs make, unless one is set: Xvfb on the first free
# number from $1 to $2.
hb_start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n display=""
  for n in $(seq "$1" "$2"); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  hb_xvfb_pid=$!
  export DISPLAY="$display"
  sleep 1
}

# Wine for the programs of one build's bin folder ($1): a prefix of the build's own
# (cmake/wine-run.sh uses the same), a 64-bit one when $2 is x64 (it runs 32-bit programs
# too), and its server kept running.
hb_use_prefix() {
  export WINEPREFIX="$1/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$2" = x64 ]; then export WINEARCH=win64; else unset WINEARCH; fi
  hb_prefixes+=("$WINEPREFIX")
  mkdir -p "$WINEPREFIX"
  wineserver -p 2>/dev/null || true # persistent; "already running" is fine too
  wineboot -i >/dev/null 2>&1 || true
}
