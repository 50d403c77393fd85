#!/usr/bin/env bash
# Makes the release package, build/package/Hintbar-<version>-windows.zip: both DLLs, the
# sample help file, the help-file checker, the install notes for users and a SHA-256 sum of
# each file, in one top folder named like the zip. Configures and builds the windows and
# windows-x64 presets as far as these need.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh windows
mkdir -p build
version=$(sed -n 's/^project(Hintbar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=Hintbar-$version-windows

for preset in windows windows-x64; do
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    echo "package: configuring the $preset preset" >&2
    cmake --preset "$preset" >"build/configure-$preset.log" 2>&1 ||
      { cat "build/configure-$preset.log"; exit 1; }
  fi
  targets=(Hintbar)
  # The checker ships as the 32-bit program, which every Windows that runs either DLL runs.
  if [ "$preset" = windows ]; then targets+=(hintbar-check); fi
  echo "package: building ${targets[*]} ($preset; a minute or two from scratch)" >&2
  cmake --build --preset "$preset" --target "${targets[@]}" -j"$(nproc)" >/dev/null
done

echo "package: packing $name.zip" >&2

stage=build/package/$name
rm -rf "$stage" "build/package/$name.zip"
mkdir -p "$stage"
cp build/windows/bin/Hintbar-x86.dll build/windows-x64/bin/Hintbar-x64.dll data/Hintbar.txt \
  build/windows/bin/hintbar-check.exe "$stage/"
# What a user runs needs no debugging sections; they would make the checker several times
# larger.
i686-w64-mingw32-strip --strip-debug "$stage/hintbar-check.exe"
sed 's/$/\r/' docs/INSTALL.txt >"$stage/INSTALL.txt" # Windows line breaks for Notepad's sake
files=(Hintbar-x64.dll Hintbar-x86.dll Hintbar.txt hintbar-check.exe INSTALL.txt)
(cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)
(cd build/package && cmake -E tar cf "$name.zip" --format=zip "${files[@]/#/$name/}" "$name/SHA256SUMS")
rm -rf "$stage"
echo "package: build/package/$name.zip"
