#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing. Safe to run again.
set -euo pipefail
# qt6-base-dev is for the benchmarks only: the text benchmarks' second baseline (the library never
# links Qt, and the benchmarks build without it).
packages=(cmake ninja-build g++ clang libclang-rt-dev pkgconf python3 libgtest-dev libbenchmark-dev
          libsqlite3-dev dpkg-dev file clang-format clang-tidy lintian zsh fish groff-base qt6-base-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
