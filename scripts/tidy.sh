#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the product's sources (not tests, benchmarks or fuzzers),
# with the compile commands of a build tree (the release one by default).
#   scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
[[ -f $build/compile_commands.json ]] || { echo "tidy: no $build/compile_commands.json; build first" >&2; exit 2; }
# clang-tidy reads the commands with clang's eyes: flags that only GCC knows are left out.
commands=$(mktemp -d)
trap 'rm -rf "$commands"' EXIT
python3 - "$build/compile_commands.json" "$commands/compile_commands.json" <<'PY'
import json, sys
gcc_only = {"-fno-gnu-unique", "-Wno-restrict", "-Wduplicated-cond", "-Wduplicated-branches", "-Wlogical-op",
            "-Wuseless-cast", "-fno-semantic-interposition"}
entries = json.load(open(sys.argv[1]))
for e in entries:
    e["command"] = " ".join(w for w in e["command"].split(" ") if w not in gcc_only)
json.dump(entries, open(sys.argv[2], "w"))
PY
run-clang-tidy -quiet -p "$commands" -j "$(nproc)" \
  "^$PWD/(platform|frame|encoding|variant|bits|names|files|registry|tracklog|system|identity|diskid|cli)/.*\.cpp$" \
  > "$build/tidy.log" 2>&1 || { grep -E "error:|warning:" "$build/tidy.log" | sort -u >&2; exit 1; }
echo "tidy: clean"
