#!/usr/bin/env bash
# Tries the plug-in in a terminal: installs what the shell needs and is missing (tools/setup.sh
# shell: a compiler, CMake, readline, ICU), builds the Linux flavour's shell, plug-in and
# help-file checker, and starts the reference shell with the sample help file. Arguments go to
# the shell (hintbar-shell --help lists them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh shell
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target hintbar-shell hintbar-check
# The plug-in looks here when no Hintbar.txt lies beside the shell; a value already set wins.
export Hintbar="${Hintbar:-$root/data/Hintbar.txt}"
exec "$root/build/linux/bin/hintbar-shell" "$@"
