#!/usr/bin/env bash
# Measures how many faults the test suite finds. Each mutation (scripts/mutations/*.txt) breaks
# one line of product code on purpose; the script applies them one at a time, rebuilds the
# release build incrementally, runs ctest, and reports whether some test failed (caught) or the
# whole suite still passed (survived). The file is restored after every mutation, also on Ctrl-C
# or an error, so the tree is left as it was found.
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

# The mutations live in scripts/mutations/*.txt, one file per part of the code; each line is
# name | file | text found exactly once in the file | its replacement | the fault
mutations=$(cat scripts/mutations/*.txt | grep -v '^#')

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
