#!/usr/bin/env bash
# Checks that every C++ file is laid out as .clang-format says (with --fix: lays them out).
# The generated Unicode tables are data, not code, and are left as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.inc' | grep -v '/UnicodeTables\.inc$')
if [[ ${1:-} == --fix ]]; then
  clang-format -i --style=file "${files[@]}"
elif ! clang-format --dry-run -Werror --style=file "${files[@]}" 2>/tmp/format.$$; then
  grep -E "error:" /tmp/format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' >&2
  rm -f /tmp/format.$$
  echo "format: run scripts/format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/format.$$
echo "format: clean"
