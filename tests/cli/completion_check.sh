#!/usr/bin/env bash
# Loads the installed-layout completion file into bash and completes a few command lines with
# it, as bash would on Tab. Usage: completion_check.sh <utility> <completion file>
set -euo pipefail
utility=$1
file=$2
diff <("$utility" completion bash) "$file"
# Text only: no zero byte may hide in a generated line.
for shell in bash zsh fish; do
  [ "$("$utility" completion $shell | tr -d '\000' | wc -c)" = "$("$utility" completion $shell | wc -c)" ] ||
    { echo "completion: a zero byte in the $shell script" >&2; exit 1; }
done
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
# Choices where a set is expected, file names where a path is, nothing for free text.
expect "$(complete_line utility bits get u)" "uchar ushort uint"
expect "$(complete_line utility completion f)" "fish"
expect "$(complete_line utility help fi)" "files"
expect "$(complete_line utility variant show --places 2 BS)" "BSTR"
expect "$(complete_line utility encoding to-wide --via ToW)" "ToWideString"
expect "$(complete_line utility reg readonly HKCU\\\\App o)" "on off"
expect "$(complete_line utility names check x)" ""
expect "$(complete_line utility reg query HKC)" "HKCU\\"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
touch "$dir/one.log" "$dir/other.txt"
expect "$(complete_line utility tracklog show "$dir/one")" "$dir/one.log"
expect "$(complete_line utility files list -r "$dir/oth")" "$dir/other.txt"
echo "completion: ok"
