#!/usr/bin/env bash
# The editor page's tests for one preset's build (default dev): node unit tests of the page's modules
# (the groove model held against the kernel's own envelopes, written by dovrel-kernel-envelopes), then
# the browser tests in Debian's Chromium against dovrel-preview, which leave screenshots in
# build/<preset>/ui-screenshots/, and finally the page's measured figures. npm packages come from
# package-lock.json.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-dev}
build=build/$preset

npm ci --no-audit --no-fund --loglevel=error
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Dovrel dovrel-preview dovrel-kernel-envelopes

export DOVREL_UI_DIR=$build/Dovrel.vst3/Contents/Resources/ui
export DOVREL_KERNEL_ENVELOPES=$build/tests/page/kernel-envelopes.json
"$build/tests/page/dovrel-kernel-envelopes" "$DOVREL_KERNEL_ENVELOPES"
echo "=== page unit tests ($preset)"
node --test tests/page/unit/

export DOVREL_PREVIEW=$build/tools/preview/dovrel-preview
export DOVREL_BUNDLE=$build/Dovrel.vst3
export DOVREL_SCREENSHOT_DIR=$build/ui-screenshots
echo "=== page browser tests ($preset)"
node --test tests/page/browser/
echo "screenshots in $DOVREL_SCREENSHOT_DIR"
echo "=== page figures ($preset)"
node tests/page/browser/measure.mjs
