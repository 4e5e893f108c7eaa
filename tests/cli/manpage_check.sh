#!/usr/bin/env bash
# The installed-layout manual pages: each renders without a warning from groff, and each
# group's page has a section for every command its help lists and every option of each.
# Usage: manpage_check.sh <utility> <man1 directory>
set -euo pipefail
utility=$1
dir=$2
fail() {
  echo "manpage: $*" >&2
  exit 1
}
render() {
  local warnings
  warnings=$(zcat "$1" | groff -man -Tutf8 -ww -z 2>&1) || fail "$1 does not render"
  [ -z "$warnings" ] || fail "$1: $warnings"
}
render "$dir/utility.1.gz"
pages=0
for group in $("$utility" manpage --groups); do
  page="$dir/utility-$group.1.gz"
  [ -f "$page" ] || fail "no page for the group $group"
  render "$page"
  grep -q "utility-$group(1)" <(zcat "$dir/utility.1.gz" | sed 's/\\fB//g; s/\\fR//g; s/\\-/-/g') ||
    fail "utility(1) does not point to utility-$group(1)"
  text=$(zcat "$page" | sed 's/\\-/-/g')
  commands=$("$utility" help "$group" | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z-]*\) .*/\1/p')
  [ -n "$commands" ] || fail "no commands listed for $group"
  for command in $commands; do
    grep -qx ".SS $command" <<<"$text" || fail "utility-$group(1) has no section for $command"
    for option in $("$utility" help "$group" "$command" | sed -n '/^Options:/,/^$/p' | grep -o -- '--[a-z-]*' | sort -u); do
      case $option in --json | --help | --library-paths) continue ;; esac
      grep -q -- "^.B .*$option" <<<"$text" || fail "utility-$group(1) does not describe $command $option"
    done
  done
  pages=$((pages + 1))
done
[ "$pages" -ge 10 ] || fail "only $pages group pages"
echo "manpage: $pages group pages and utility(1) ok"
