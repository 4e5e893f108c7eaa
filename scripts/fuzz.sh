#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each one from its seed corpus.
#
# usage: scripts/fuzz.sh [SECONDS | --minutes N] [--jobs J] [--keep] [TARGET...]
#   SECONDS       run time per target (default 30); --minutes N is the same in minutes
#   --jobs J      run J targets at a time (default 1)
#   --keep        merge what a run found into fuzz/corpus/<target>/ (minimised), for a commit
#   TARGET        names such as RegistryImport (default: every fuzz/*.cpp)
# Each run prints its executions, coverage (edges), features and corpus size; the table is also
# written to build/fuzz/report.txt. A crash stops the script with the fuzzer's report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=30 jobs=1 keep=0 targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) seconds=$(( $2 * 60 )); shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    [0-9]*) seconds=$1; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
scripts/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
work=build/fuzz/runs
mkdir -p "$work"

# One target: a fresh corpus seeded from the checked-in one, the run, then one summary line.
run() {
  local name=$1 binary=build/fuzz/stage/bin/fuzz_$1 seeds=fuzz/corpus/$1
  local corpus=$work/$name log=$work/$name.log
  rm -rf "$corpus" && mkdir -p "$corpus" "$seeds"
  if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$name-" \
      "$corpus" "$seeds" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$name failed; the input is in $work/$name-*"
    return 1
  fi
  local runs cov ft
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf '%-16s %6ss %12s execs %7s edges %7s features %6s inputs\n' "$name" "$seconds" "${runs:-0}" \
    "${cov:-0}" "${ft:-0}" "$(find "$corpus" -type f | wc -l)"
  if [ "$keep" = 1 ]; then
    "$binary" -merge=1 "$seeds" "$corpus" >>"$log" 2>&1
  fi
}

report=build/fuzz/report.txt
: >"$report"
pids=() status=0
for name in "${targets[@]}"; do
  [ -x "build/fuzz/stage/bin/fuzz_$name" ] || { echo "no fuzz target $name"; exit 2; }
  echo "== fuzz_$name for ${seconds}s"
  run "$name" >>"$report" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
cat "$report"
exit $status
