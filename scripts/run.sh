#!/usr/bin/env bash
# The main job: set the machine up, build the optimised plug-in and render tool, install the plug-in
# for the current user (~/.vst3, where Linux hosts look) and render the built-in demo through the
# installed copy. Extra arguments go to dovrel-render, e.g. --preset vocal-sit.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Dovrel dovrel-render

# Copy the whole bundle tree, then swap it in, so a host never sees half an installation.
install_dir="$HOME/.vst3"
mkdir -p "$install_dir"
rm -rf "$install_dir/Dovrel.vst3.installing"
cp -R build/release/Dovrel.vst3 "$install_dir/Dovrel.vst3.installing"
rm -rf "$install_dir/Dovrel.vst3"
mv "$install_dir/Dovrel.vst3.installing" "$install_dir/Dovrel.vst3"
echo "installed $install_dir/Dovrel.vst3"

./build/release/tools/render/dovrel-render --bundle "$install_dir/Dovrel.vst3" --preset bass-under-kick \
  --demo build/release/demo.wav "$@"
