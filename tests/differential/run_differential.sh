#!/usr/bin/env bash
# The DLL under Wine and the Linux build's module must make the same of every file of a corpus,
# under each ANSI code page given: what the drivers write (tests/differential) must be the same
# bytes. Given no DLL, the Linux module runs over the corpus alone.
#   run_differential.sh SOURCE_ROOT LINUX_DRIVER LINUX_MODULE [WINDOWS_DRIVER DLL WINE_RUN]
# Settings, for the longer runs of tools/differential.sh:
#   HB_DIFFERENTIAL_RANDOM  random files in the corpus (200)
#   HB_DIFFERENTIAL_PAGES   code page:locale pairs (1252:en_US.UTF-8 1251:ru_RU.UTF-8); Wine
#                           takes the ANSI code page from the locale, the Linux module is told it
#   HB_DIFFERENTIAL_CORPUS  a directory of further files (a fuzzer's corpus, say)
set -u
root=$1 linux_driver=$2 linux_module=$3 win_driver=${4:-} dll=${5:-} runner=${6:-}
# A Windows build alone has nothing to compare with: the test is skipped, and says why, unless
# this is CI, where the Linux build comes first and its absence is a fault.
if [ ! -x "$linux_driver" ] || [ ! -f "$linux_module" ]; then
  echo "no Linux driver and module at $linux_driver, $linux_module: build the linux preset"
  echo "first (cmake --preset linux && cmake --build --preset linux), or point HB_LINUX_BUILD"
  echo "at a Linux build"
  if [ -n "$win_driver" ] && [ -z "${CI:-}" ]; then
    echo "SKIPPED: nothing to compare the DLL with"
    exit 77
  fi
  echo "FAIL"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
"$linux_driver" make "$corpus" "$root" "${HB_DIFFERENTIAL_RANDOM:-200}" 20261208 || exit 1
if [ -n "${HB_DIFFERENTIAL_CORPUS:-}" ]; then
  n=0
  for f in "$HB_DIFFERENTIAL_CORPUS"/*; do
    [ -f "$f" ] && cp "$f" "$corpus/extra-$(printf '%06d' $n).txt" && n=$((n + 1))
  done
  echo "$n further files from $HB_DIFFERENTIAL_CORPUS"
fi
winpath() { printf 'Z:%s' "${1//\//\\}"; } # Wine's drive Z: is the root of the file system

failed=0
for page in ${HB_DIFFERENTIAL_PAGES:-1252:en_US.UTF-8 1251:ru_RU.UTF-8}; do
  cp=${page%%:*} locale=${page#*:}
  linux=$work/linux-$cp.dump windows=$work/windows-$cp.dump
  (cd "$corpus" && "$linux_driver" run "$linux_module" "$cp" "$linux") || { failed=1; continue; }
  [ -n "$win_driver" ] || continue
  # The runner is a shell script, and the shell warns of a locale that Linux does not have.
  (cd "$corpus" && LC_ALL=$locale "$runner" "$win_driver" run "$(winpath "$dll")" "$cp" \
    "$(winpath "$windows")") 2> >(grep -v 'setlocale: LC_ALL' >&2) | tr -d '\r' ||
    { failed=1; continue; }
  if ! cmp -s "$linux" "$windows"; then
    echo "FAIL: code page $cp: the DLL and the Linux module differ (< Linux, > DLL):"
    diff "$linux" "$windows" | head -40
    failed=1
  fi
done
exit $failed
