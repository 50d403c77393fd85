#!/usr/bin/env bash
# Tries the release package under Wine as a Windows user gets it: makes the package, unpacks
# it into build/try-package/ and starts the project's Windows host program there with the
# packaged DLL of the chosen bitness, which finds the packaged Hintbar.txt beside the program.
#   tools/try-package.sh [--x64] [SCRIPT]
# Without SCRIPT the host program reads its steps from standard input, one a line, such as
# "type echo %@left[", "key ]" or "hbar /??" (host/win/script.h lists them); Ctrl-D ends it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
arch=x86 preset=windows
if [ "${1:-}" = --x64 ]; then
  arch=x64 preset=windows-x64
  shift
fi
if [ $# -gt 1 ] || [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "usage: tools/try-package.sh [--x64] [SCRIPT]" >&2
  exit 2
fi
script=()
if [ $# = 1 ]; then
  [ -f "$1" ] || { echo "try-package: no script file $1" >&2; exit 2; }
  script=("$(cd "$(dirname "$1")" && pwd)/$(basename "$1")")
fi

bash tools/setup.sh wine # package.sh installs the cross-compilers
zip=$root/$(bash tools/package.sh | sed -n "s/^package: //p")
[ -f "$zip" ] || { echo "try-package: tools/package.sh made no package" >&2; exit 1; }
cmake --build --preset "$preset" --target HintbarHost -j"$(nproc)" >/dev/null

try=$root/build/try-package
rm -rf "$try"
mkdir -p "$try"
(cd "$try" && cmake -E tar xf "$zip")
try=$try/$(basename "$zip" .zip) # the package's one top folder
cp "build/$preset/bin/HintbarHost.exe" "build/$preset/bin/HostShell.dll" "$try/"
echo "try-package: $(basename "$zip") unpacked in $try, with the host program ($arch)" >&2
if [ -z "${DISPLAY:-}" ]; then
  echo "try-package: there is no display here, so the host's window opens on a virtual one" \
    "that nothing shows; the host prints the status bar's text as \"status: TEXT\"" \
    "(\\r, \\n, \\t escaped). Run it where DISPLAY names a desktop to see the window." >&2
fi
if [ ${#script[@]} = 0 ] && [ -t 0 ]; then
  echo "try-package: type steps such as \"type echo %@left[\", \"key ]\" or \"hbar /??\";" \
    "Ctrl-D ends" >&2
fi

# The build's own Wine prefix, set up already by its tests, and a display when there is none.
export HB_WINEPREFIX=$root/build/$preset/bin/wineprefix
if [ "$arch" = x64 ]; then export WINEARCH=win64; fi
source "$root/tools/wine.sh"
hb_start_display 99 130
# At the end Wine goes before its display: Wine's own processes outlive the host program by a
# few seconds, and a display that ends under them makes them say "X connection to :N broken".
# (A Wine server that a test run keeps alive in the same prefix is not waited for long.)
trap '[ -z "${hb_xvfb_pid:-}" ] || WINEPREFIX=$HB_WINEPREFIX timeout 10 wineserver -w; hb_cleanup' EXIT
plugin="Z:${try//\//\\}\\Hintbar-$arch.dll" # drive Z: is the root of the file system
cd "$try"
# Both ends go through pipes: the host program's UTF-8 reaches the terminal as it is, where
# Wine's console would show it in an OEM code page ("•" as "ΓÇó"), and Ctrl-D at the terminal
# ends the input, which Wine's console would not take as the end.
run=(bash "$root/cmake/wine-run.sh" "$try/HintbarHost.exe" --plugin "$plugin")
if [ ${#script[@]} = 0 ]; then
  cat | "${run[@]}" | cat
else
  "${run[@]}" "${script[0]}" </dev/null | cat
fi
