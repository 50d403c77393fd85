#!/usr/bin/env bash
# Installs what building and testing Hintbar needs on Debian 12, skipping what is there.
set -euo pipefail

packages=(cmake make g++ python3 libgtest-dev libgmock-dev libbenchmark-dev libicu-dev
          libreadline-dev pkg-config g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386
          wine64 xvfb xauth clang-14 libclang-rt-14-dev llvm-14 clang-format-14 clang-tidy-14
          tmux gcovr)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
