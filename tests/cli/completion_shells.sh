#!/usr/bin/env bash
# Loads the generated zsh and fish completions into those shells and completes a few command
# lines with them. zsh's completion widgets need a terminal, so _describe, _arguments and
# compdef are replaced by functions that print what they were given: the check is that the
# script hands zsh the right candidates and argument descriptions for the words typed.
# Usage: completion_shells.sh <utility> zsh|fish
set -euo pipefail
utility=$1
shell=$2
fail() {
  echo "completion ($shell): $*" >&2
  exit 1
}
case $shell in
  zsh)
    script=$("$utility" completion zsh)
    home=$(mktemp -d)
    trap 'rm -rf "$home"' EXIT
    export HOME=$home ZDOTDIR=$home  # zsh -f reads no start-up file; nothing may land in the real home either
    run() {  # run WORD... : completes the last word, as zsh would with the cursor there
      zsh -f -c '
        compdef() { :; }
        _describe() { local name=${@[-1]}; print -r -- "describe: ${(j: :)${(P)name}}"; }
        _arguments() { print -r -- "arguments: $*"; }
        _files() { :; }
        eval "$1"; shift
        words=("$@"); CURRENT=$#
        _utility' zsh "$script" "$@"
    }
    got=$(run utility fi)
    [[ $got == "describe: "*"files:create, remove, rename and list directories"* ]] || fail "groups: $got"
    got=$(run utility files li)
    [[ $got == "describe: "*"list:list subdirectories"* ]] || fail "commands of a group: $got"
    got=$(run utility files list --filter x "")
    [[ $got == "arguments: "*"--filter=[*.* for every file"*"1:directory:_files"* ]] || fail "a command's arguments: $got"
    [[ $got == *"(-r --recursive)"* ]] || fail "short options: $got"
    got=$(run utility bits get "")
    [[ $got == *"1:type:(char uchar short ushort int uint float double)"* ]] || fail "choices: $got"
    got=$(run utility completion "")
    [[ $got == *"1:shell:(bash zsh fish)"* ]] || fail "the program's own commands: $got"
    ;;
  fish)
    file=$(mktemp)
    dir=$(mktemp -d)
    trap 'rm -rf "$file" "$dir"' EXIT
    "$utility" completion fish > "$file"
    # fish keeps history and variables under the user's directories: here they are the test's own.
    export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
    touch "$dir/one.log"
    complete_line() { fish --no-config -c "source $file; complete -C '$1'" | cut -f1 | tr '\n' ' ' | sed 's/ $//'; }
    expect() {
      local got
      got=$(complete_line "$1")
      [ "$got" = "$2" ] || fail "'$1': got '$got', expected '$2'"
    }
    expect "utility fi" "files"
    expect "utility files li" "list"
    expect "utility bits get u" "uchar uint ushort"
    expect "utility completion f" "fish"
    expect "utility reg readonly k o" "off on"
    expect "utility tracklog show $dir/on" "$dir/one.log"
    expect "utility reg query HKC" "HKCU\\"
    ;;
esac
echo "completion ($shell): ok"
