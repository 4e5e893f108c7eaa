#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a while.
# usage: scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
scripts/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
for target in build/fuzz/stage/bin/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds=fuzz/corpus/${name#fuzz_}
  echo "== $name for ${seconds}s"
  args=(-max_total_time="$seconds" -print_final_stats=0 "$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if ! "$target" "${args[@]}" >"$corpus.log" 2>&1; then
    tail -n 40 "$corpus.log"
    echo "$name failed"
    exit 1
  fi
  tail -n 1 "$corpus.log"
  rm -rf "$corpus" "$corpus.log"
done
