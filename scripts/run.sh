#!/usr/bin/env bash
# The main job: set the machine up, build the optimised preset and render the built-in demo.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target dovrel-render
./build/release/tools/render/dovrel-render --demo build/release/demo.wav "$@"
