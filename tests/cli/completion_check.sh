#!/usr/bin/env bash
# Loads the installed-layout completion file into bash and completes a few command lines with
# it, as bash would on Tab. Usage: completion_check.sh <utility> <completion file>
set -euo pipefail
utility=$1
file=$2
diff <("$utility" completion bash) "$file"
# shellcheck disable=SC1090
source "$file"
complete_line() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _utility
  echo "${COMPREPLY[*]}"
}
expect() {
  local got=$1 want=$2
  if [ "$got" != "$want" ]; then
    echo "completion: got '$got', expected '$want'" >&2
    exit 1
  fi
}
expect "$(complete_line utility na)" "names"
expect "$(complete_line utility files li)" "list"
expect "$(complete_line utility files list --r)" "--recursive"
expect "$(complete_line utility names check --)" "--help --json --free-form --allow-space"
echo "completion: ok"
