#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test under the dev and asan presets,
# and the threaded tests under the tsan preset. Fails on the first failure.
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

run_preset dev
run_preset asan
run_preset tsan
echo "all presets passed"
