#!/usr/bin/env bash
# Measures how many faults the test suite finds. Each mutation below breaks one line of product
# code on purpose; the script applies them one at a time, rebuilds the release build
# incrementally, runs ctest, and reports whether some test failed (caught) or the whole suite
# still passed (survived). The file is restored after every mutation, also on Ctrl-C or an
# error, so the tree is left as it was found.
#
# Use: scripts/mutate.sh [BUILD_DIR] [NAME...]
#   BUILD_DIR  a configured build tree (default build/release); it is rebuilt incrementally
#   NAME       run only the mutations with these names
# MUTATE_CHECK=1 only checks that every mutation's text is found once, building nothing.
# Exit status: 0 when every mutation was caught, 1 when one survived, 2 on a setup problem
# (a mutation's text not found exactly once, one that does not compile, or the unmutated tree
# not building or passing).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build/release}
shift || true
selected=("$@")
jobs=${MUTATE_JOBS:-2}

# name | file | text found exactly once in the file | its replacement | the fault
# (fields separated by a space, a bar and a space)
mutations=$(cat <<'EOF'
bits-mask-width | bits/BitMask.h | return shift < Width ? | return shift + 1 < Width ? | the top bit of each width is out of reach
variant-same-ui4 | variant/Compare.cpp | if (a.vt > VT_UI4) return FALSE; | if (a.vt >= VT_UI4) return FALSE; | IsVarSame calls two equal VT_UI4 values different
utf8-continuation | platform/src/Utf8Codec.cpp | if (j >= n || s[j] < lo || s[j] > hi) { | if (j >= n || s[j] < lo || s[j] > hi + 0x10) { | a byte a little above the allowed range passes as a continuation: no U+FFFD
replaceex-word | names/ReplaceEx.cpp | parts.core == target ? replacement | parts.core.starts_with(target) ? replacement | a word that only begins with the target is replaced
ipv4-octet | names/Ipv4Text.cpp | part == 1 ? 254 : 255; | part == 1 ? 254 : 256; | an octet of 256 is accepted
cli-dword-size | cli/commands/RegistryText.cpp | if (type == REG_DWORD && data.size() == 4) { | if (type == REG_DWORD && data.size() >= 4) { | REG_DWORD data of the wrong size is shown as a number
tracklog-year | tracklog/TrackLog.cpp | at = PutNumber(at, now.wYear, 4); | at = PutNumber(at, now.wYear, 5); | the stamp's year takes five digits
files-link-removal | files/RemoveDirectory.cpp | RemoveTree(child, entry.dwFileAttributes); | RemoveTree(child, INVALID_FILE_ATTRIBUTES); | a link to a directory inside the tree is walked into, not removed as a link
key-name-length | platform/src/Registry.cpp | if (i - start > REG_MAX_KEY_NAME_LENGTH) | if (i - start > REG_MAX_KEY_NAME_LENGTH + 1) | a key name one unit too long is accepted
leap-year | platform/src/DateCalendar.h | || year % 400 == 0; | || year % 400 == 100; | 2000 is not a leap year
errno-not-empty | platform/src/posix/Errno.cpp | {ENOTEMPTY, ERROR_DIR_NOT_EMPTY, Way::Both}, | {ENOTEMPTY, ERROR_DIR_NOT_EMPTY, Way::ToErrno}, | ENOTEMPTY no longer reads as ERROR_DIR_NOT_EMPTY
cli-usage-exit | cli/Main.cpp |     return kExitUsage; |     return kExitNo; | a usage error exits with the failure status
variant-range-ui2 | variant/Catalogue.cpp | u"unsigned short", 2, true, true, 0.0, 65535.0} | u"unsigned short", 2, true, true, 0.0, 65534.0} | VT_UI2 ends one short of its range
cstring-left | platform/src/CString.cpp | r.m_s.assign(m_s, 0, Clamp(count, m_s.size())); | r.m_s.assign(m_s, 0, Clamp(count - 1, m_s.size())); | Left keeps one unit fewer
namecheck-space | names/NameCheck.cpp | if (allowSpace == 0 && Holds(name, u' ')) | if (allowSpace != 0 && Holds(name, u' ')) | the space flag works backwards
EOF
)

restore_file=""
restore() {
  # Copied back rather than moved, so the file is newer than the mutated objects and rebuilds.
  if [[ -n $restore_file && -f $restore_file.mutate-orig ]]; then
    cat "$restore_file.mutate-orig" >"$restore_file" && rm -f "$restore_file.mutate-orig"
  fi
  restore_file=""
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

trim() { local s=$1; s=${s#"${s%%[![:space:]]*}"}; s=${s%"${s##*[![:space:]]}"}; printf '%s' "$s"; }

build_and_test() {
  local log=$1
  cmake --build "$build" -j "$jobs" >"$log.build" 2>&1 || return 3
  ctest --test-dir "$build" -j "$jobs" --timeout 600 --stop-on-failure >"$log.test" 2>&1
}

logdir=$(mktemp -d "${TMPDIR:-/tmp}/mutate.XXXXXX")
echo "logs in $logdir"

if [[ -z ${MUTATE_CHECK:-} ]] && ! build_and_test "$logdir/unmutated"; then
  echo "the unmutated tree does not build or pass its tests; see $logdir/unmutated.*" >&2
  exit 2
fi

survived=0
caught=0
unbuilt=0
printf '%-20s %-9s %s\n' MUTATION RESULT FAULT
while IFS= read -r line; do
  [[ -z $line ]] && continue
  # Fields are separated by " | " (a code text may hold "||"); the code texts keep their own
  # leading spaces, which tell one line from another.
  fields=()
  while [[ $line == *" | "* ]]; do fields+=("${line%%" | "*}"); line=${line#*" | "}; done
  fields+=("$line")
  if ((${#fields[@]} != 5)); then echo "malformed mutation: ${fields[0]}" >&2; exit 2; fi
  name=$(trim "${fields[0]}"); file=$(trim "${fields[1]}"); from=${fields[2]}; to=${fields[3]}
  fault=$(trim "${fields[4]}")
  if ((${#selected[@]})) && [[ " ${selected[*]} " != *" $name "* ]]; then continue; fi
  count=$(FROM=$from perl -0ne 'my $n = () = /\Q$ENV{FROM}\E/g; print $n' "$file")
  if [[ $count != 1 ]]; then
    echo "$name: the text is found $count times in $file, not once" >&2
    exit 2
  fi
  if [[ -n ${MUTATE_CHECK:-} ]]; then echo "$name: found once"; continue; fi
  cp "$file" "$file.mutate-orig"
  restore_file=$root/$file
  FROM=$from TO=$to perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$file"
  build_and_test "$logdir/$name"
  rc=$?
  restore
  if ((rc == 3)); then
    result=NO-BUILD  # the compiler refused it: the mutation tells nothing about the tests
    ((unbuilt++))
  elif ((rc != 0)); then
    result=caught
    ((caught++))
  else
    result=SURVIVED
    ((survived++))
  fi
  printf '%-20s %-9s %s\n' "$name" "$result" "$fault"
done <<<"$mutations"

# Leave the build matching the restored sources.
[[ -z ${MUTATE_CHECK:-} ]] && cmake --build "$build" -j "$jobs" >"$logdir/restored.build" 2>&1
echo "$caught caught, $survived survived, $unbuilt did not build"
((survived == 0)) || exit 1
((unbuilt == 0)) || exit 2
