#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test under the dev, asan and release presets, and
# the threaded tests under the tsan preset. The release preset also builds the benchmarks, and each
# runs once briefly, so a benchmark that no longer builds or crashes fails here (figures are not
# checked). The editor page's node and browser tests run against the dev build (scripts/ui-test.sh).
# Last, every fuzz harness runs briefly on its seed corpus. Fails on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

run_preset() {
  local preset=$1
  echo "=== preset $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
}

run_benchmarks_briefly() {
  local bench
  for bench in build/release/bench/*/dovrel_bench_*; do
    echo "=== benchmark ${bench##*/} (one brief run)"
    "$bench" --benchmark_min_time=0.01
  done
}

run_preset dev
bash scripts/ui-test.sh dev
run_preset asan
run_preset tsan
run_preset release
run_benchmarks_briefly
bash scripts/fuzz.sh
echo "all presets passed"
