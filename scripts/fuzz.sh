#!/usr/bin/env bash
# Builds the libFuzzer harnesses (the `fuzz` preset: clang with address and undefined-behaviour
# sanitizers) and runs every build/fuzz/fuzz/*_fuzz on its seed corpus in fuzz/corpus/<name>/.
#
#   scripts/fuzz.sh                 a fixed, short number of runs per harness (what the test command runs)
#   scripts/fuzz.sh --long SECONDS  each harness for SECONDS in turn, one process at a time, keeping
#                                   what it finds in $DOVREL_FUZZ_WORK/<name> (default build/fuzz-work)
#   scripts/fuzz.sh ... NAME...     only the named harnesses (e.g. wav bank_reply)
#
# New inputs go to a scratch corpus, never into fuzz/corpus. A harness that finds a crash, a leak,
# a time-out or a failed check fails the script; the reproducer (crash-*, leak-*, timeout-* in the work
# folder) is printed in Base64 and replayed once with its stderr shown.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly SHORT_RUNS=4000
# Harnesses that read JSON documents get the dictionary of the documents' keys and names.
readonly JSON_HARNESSES=" component_state controller_state bridge_message bridge_dispatch cc_map pad_overrides bank_tree_json sound_pack signal_meters "

seconds=""
if [ "${1:-}" = "--long" ]; then
  seconds=${2:?--long needs a number of seconds}
  shift 2
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

if [ -n "$seconds" ]; then
  work=${DOVREL_FUZZ_WORK:-build/fuzz-work}
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for binary in build/fuzz/fuzz/*_fuzz; do
    name=${binary##*/}
    names+=("${name%_fuzz}")
  done
fi

run_harness() {
  local name=$1 binary=build/fuzz/fuzz/${1}_fuzz
  local corpus=$work/$name artifacts=$work/$name-artifacts
  mkdir -p "$corpus" "$artifacts"
  local options=(-timeout=10 -print_final_stats=1 -close_fd_mask=2 "-artifact_prefix=$artifacts/")
  if [[ $JSON_HARNESSES == *" $name "* ]]; then
    options+=(-dict=fuzz/json.dict)
  fi
  if [ -n "$seconds" ]; then
    options+=("-max_total_time=$seconds")
  else
    options+=("-runs=$SHORT_RUNS")
  fi
  echo "=== fuzz $name"
  local status=0
  "$binary" "${options[@]}" "$corpus" "fuzz/corpus/$name" >"$work/$name.log" 2>&1 || status=$?
  grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::(number_of_executed_units|peak_rss_mb)|SUMMARY)' "$work/$name.log" || true
  local found
  found=$(find "$artifacts" -type f | head -n 1)
  if [ -n "$found" ]; then
    echo "fuzz $name: reproducer $found, in Base64: $(base64 -w 0 "$found")" >&2
    "$binary" "$found" 2>&1 | tail -n 30 >&2 || true
    return 1
  fi
  if [ "$status" -ne 0 ]; then
    echo "fuzz $name: exit status $status" >&2
    tail -n 30 "$work/$name.log" >&2
    return 1
  fi
}

failed=()
for name in "${names[@]}"; do
  run_harness "$name" || failed+=("$name")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: ${#names[@]} harnesses passed"
