#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and runs `utility demo`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
exec build/release/stage/bin/utility demo
