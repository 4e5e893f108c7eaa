#!/usr/bin/env bash
# Soaks the registry store and the track log: writer processes on one hive, log writers on one
# log, for a while; prints per-process counts, throughput and fairness, and fails on any loss.
# usage: scripts/soak.sh [--writers N] [--log-writers N] [--seconds S] [--slots K] [--dir DIR]
# (defaults: 6 writers, 4 log writers, 60 s, 16 slots, a fresh temporary directory; a writer
# that gets no write at all fails the run)
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/release/stage/bin/soak ] || { scripts/deps.sh; cmake --preset release >/dev/null; }
cmake --build --preset release -j "$(nproc)" --target soak >/dev/null
args=(--seconds 60 --no-starving 1)
exec build/release/stage/bin/soak "${args[@]}" "$@"
