#!/usr/bin/env bash
# Installs what is missing, checks the layout of the code, then builds and runs the whole suite
# three times (the release build's sources also pass the checks of .clang-tidy): in the release
# build, in the AddressSanitizer + UndefinedBehaviorSanitizer build, and in the ThreadSanitizer
# build (every test that starts threads or processes is among them); then the packages, the
# Windows build under Wine, and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/format.sh
jobs=$(nproc)
for preset in release sanitize tsan; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs" --timeout 600
  if [[ $preset == release ]]; then scripts/tidy.sh build/release; fi
done
# The Debian package of the release build, unpacked and used as a user would.
scripts/package-test.sh build/release
# The Windows build of the same source, its portable tests under Wine, the two backends' answers
# compared, and its zip unpacked and used.
scripts/windows-test.sh build/release
echo "== fuzz targets (clang, ASan + UBSan), a short run each"
scripts/fuzz.sh 20
