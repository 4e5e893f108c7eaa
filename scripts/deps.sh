#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing. Safe to run again.
set -euo pipefail
# qt6-base-dev is for the benchmarks only: the text benchmarks' second baseline (the library never
# links Qt, and the benchmarks build without it).
packages=(cmake ninja-build g++ clang libclang-rt-dev pkgconf python3 libgtest-dev libbenchmark-dev
          libsqlite3-dev dpkg-dev file clang-format clang-tidy lintian zsh fish groff-base qt6-base-dev)
# The Windows build: Debian's mingw-w64 cross compiler (the posix thread model, for std::thread)
# and Wine to run its programs. Wine is installed with its recommended packages, which it needs
# to start programs in a fresh prefix.
windows_packages=(g++-mingw-w64-x86-64-posix wine wine64)
missing_of() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_windows < <(missing_of "${windows_packages[@]}")
if [ $(( ${#missing[@]} + ${#missing_windows[@]} )) -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]} ${missing_windows[*]}"
  $sudo apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if [ ${#missing_windows[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing_windows[@]}"
  fi
fi
