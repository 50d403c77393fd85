#!/usr/bin/env bash
# Checks the release package as a user gets it. Unpacked into an empty folder, it holds its
# six files, whose sums match, and the packaged checker passes the packaged Hintbar.txt. Each
# DLL is started in the host program of its bitness with the packaged Hintbar.txt beside it
# and nowhere else to be found: the banner and the count line appear, and "echo %@left["
# shows LEFT's help. Given to the host program of the other bitness, each DLL is refused with
# a message that names the DLL needed. Each program run gets HB_HOST_SECONDS (60 by default).
#   check_package.sh ZIP WINE_RUN X86_HOST_DIR X64_HOST_DIR
set -u
zip=$1 runner=$2
limit=${HB_HOST_SECONDS:-60}
declare -A host_dir=([x86]=$3 [x64]=$4) other=([x86]=x64 [x64]=x86) bits=([x86]=32 [x64]=64)
if [ ! -f "$zip" ]; then
  echo "FAIL: no package at $zip (tools/package.sh makes it)"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
# Whether a line of the file equals TEXT, or in "prefix" mode begins with it.
has_line() {
  TEXT=$2 MODE=${3:-exact} awk '($0 == ENVIRON["TEXT"]) ||
      (ENVIRON["MODE"] == "prefix" && index($0, ENVIRON["TEXT"]) == 1) { found = 1 }
      END { exit !found }' "$1"
}

unpacked=$work/unpacked
mkdir "$unpacked"
(cd "$work" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
# Everything lies in one folder named like the zip, so that unpacking leaves one folder.
top=$(cd "$work" && ls -A | grep -v -x -e unpacked | tr '\n' ' ')
[ "$top" = "$(basename "$zip" .zip) " ] || fail "the package's top level holds: $top"
rmdir "$unpacked" && mv "$work/$(basename "$zip" .zip)" "$unpacked"
files=$(cd "$unpacked" && ls -A | LC_ALL=C sort | tr '\n' ' ')
packaged="Hintbar-x64.dll Hintbar-x86.dll Hintbar.txt INSTALL.txt SHA256SUMS hintbar-check.exe "
[ "$files" = "$packaged" ] ||
  fail "the package holds: $files"
summed=$(awk '{ print $2 }' "$unpacked/SHA256SUMS" | LC_ALL=C sort | tr '\n' ' ')
[ "$summed" = "Hintbar-x64.dll Hintbar-x86.dll Hintbar.txt INSTALL.txt hintbar-check.exe " ] ||
  fail "SHA256SUMS lists: $summed"
(cd "$unpacked" && sha256sum --check --strict --quiet SHA256SUMS) || fail "a sum does not match"
i686-w64-mingw32-objdump -h "$unpacked/hintbar-check.exe" | grep -q '\.debug_' &&
  fail "hintbar-check.exe keeps its debugging sections"
[ "$failed" = 0 ] || exit 1

# The sample help passes the packaged checker without a warning: it is the file a user is
# likely to check first. Run from the package's folder, as a user runs it.
(cd "$unpacked" && timeout -k 5 "$limit" "$runner" "$unpacked/hintbar-check.exe" Hintbar.txt) \
  >"$work/check.raw" 2>&1
rc=$?
if [ "$rc" != 0 ]; then
  fail "hintbar-check on the packaged Hintbar.txt: exit code $rc"
  tr -d '\r' <"$work/check.raw"
  exit 1
fi

printf 'type echo %%@left[\nhbar /??\n' >"$work/session.hbs"
for arch in x86 x64; do
  # A host folder of its own: no Hintbar.txt beside the executable.
  host=$work/host-$arch
  mkdir "$host"
  cp "${host_dir[$arch]}/HintbarHost.exe" "${host_dir[$arch]}/HostShell.dll" "$host/"
  for dll in "$arch" "${other[$arch]}"; do
    plugin="Z:${unpacked//\//\\}\\Hintbar-$dll.dll" # drive Z: is the root of the file system
    env -u Hintbar -u NoLoadMsg timeout -k 5 "$limit" "$runner" "$host/HintbarHost.exe" \
      --plugin "$plugin" "$work/session.hbs" >"$work/raw" 2>"$work/err.raw"
    rc=$?
    if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
      fail "$arch host, $dll DLL: the host program did not finish within $limit s"
    fi
    out=$work/$arch-$dll.out err=$work/$arch-$dll.err
    tr -d '\r' <"$work/raw" >"$out"
    tr -d '\r' <"$work/err.raw" >"$err"
    if [ "$dll" = "$arch" ]; then
      [ "$rc" = 0 ] || fail "$arch: exit code $rc"
      has_line "$out" "Hintbar v0.93.0 loaded." || fail "$arch: no banner"
      grep -qE '^•  [1-9][0-9,]* functions loaded into memory\.$' "$out" ||
        fail "$arch: no count line"
      has_line "$out" 'status: \u200B@LEFT[n,string]\r\n\nReturns the first n characters' prefix ||
        fail "$arch: no help for LEFT"
      has_line "$out" "$(printf '\t\t\t\tHintbar  0.93.0.3 (%s)' "$arch")" ||
        fail "$arch: no version line naming $arch"
    else
      [ "$rc" = 2 ] || fail "$arch host, $dll DLL: exit code $rc"
      wanted="it is a ${bits[$dll]}-bit DLL; this host is ${bits[$arch]}-bit and needs a"
      wanted+=" ${bits[$arch]}-bit plug-in (Hintbar-$arch.dll)"
      grep -qF "$wanted" "$err" || fail "$arch host, $dll DLL: no message naming Hintbar-$arch.dll"
    fi
    if [ "$failed" != 0 ]; then
      echo "---- $arch host, $dll DLL: standard output"
      cat "$out"
      echo "---- standard error"
      cat "$err"
      exit 1
    fi
  done
done
echo "package: $files"
