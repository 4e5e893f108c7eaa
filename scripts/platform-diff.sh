#!/usr/bin/env bash
# Compares the platform's answers on Linux with the Windows build's under Wine: both runs of
# platform_diff (tools/platformdiff) must print the same lines, except the differences that
# tools/platformdiff/differences.txt names (shell patterns) and docs/platform.md explains.
# Usage: scripts/platform-diff.sh [linux build dir] [windows build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build/release}/stage/bin/platform_diff
windows=${2:-build/windows}/stage/bin/platform_diff.exe
work=$(mktemp -d "${TMPDIR:-/tmp}/utility-diff-XXXXXX")
source scripts/wine-env.sh
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work" "$wine_prefix_dir"' EXIT
mkdir -p "$work/linux/files" "$work/linux/registry" "$work/windows/files" "$work/windows/registry"

UTILITY_REGISTRY_DIR=$work/linux/registry "$linux" "$work/linux/files" >"$work/linux.txt"
# Under Wine, the Linux root is drive Z:.
UTILITY_REGISTRY_DIR=Z:$work/windows/registry wine "$windows" "Z:$work/windows/files" | tr -d '\r' >"$work/windows.txt"

mapfile -t known < <(grep -v '^\s*\(#\|$\)' tools/platformdiff/differences.txt)
is_known() {
  local pattern
  for pattern in "${known[@]}"; do
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    [[ $1 == $pattern ]] && return 0
  done
  return 1
}
status=0
lines=$(wc -l <"$work/linux.txt")
[[ $lines -eq $(wc -l <"$work/windows.txt") ]] || { echo "platform-diff: the runs printed different numbers of lines" >&2; status=1; }
while IFS=$'\t' read -r ours theirs; do
  key=${ours%%:*}
  if is_known "$key"; then
    echo "known:  $ours | windows:${theirs#*:}"
  else
    echo "DIFFERS: $ours | windows:${theirs#*:}" >&2
    status=1
  fi
done < <(paste "$work/linux.txt" "$work/windows.txt" | awk -F'\t' '$1 != $2')
echo "platform-diff: $lines answers compared"
exit $status
