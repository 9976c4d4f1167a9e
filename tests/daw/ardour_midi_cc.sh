#!/usr/bin/env bash
# Dovrel in Ardour, headless: its MIDI input takes a MIDI track's controller and the CC map moves the
# bound parameter. Runs Ardour's Lua session tool (Debian's ardour package) with a private HOME, where
# Dovrel is installed (~/.vst3), indexed by Ardour's VST3 scanner and given a preset carrying the CC map.
# Exits 77 (skipped) when Ardour is not installed.
set -euo pipefail
bundle=${1:?the Dovrel.vst3 bundle}
here=$(cd "$(dirname "$0")" && pwd)

lua_tool=$(command -v ardour8-lua || command -v ardour7-lua || true)
if [ -z "$lua_tool" ]; then
  echo "Ardour's Lua session tool (ardour7-lua) is not installed: skipped"
  exit 77
fi
version=$(basename "$lua_tool" | sed 's/^ardour\([0-9]*\)-lua$/\1/')
scanner=$(ls /usr/lib/ardour"$version"/ardour-vst3-scanner /usr/lib/*/ardour"$version"/ardour-vst3-scanner 2>/dev/null | head -n 1 || true)
if [ -z "$scanner" ]; then
  echo "Ardour's VST3 scanner is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
# Ardour's configuration and plug-in cache stay private too, even where the caller sets XDG folders.
export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache XDG_DATA_HOME=$HOME/.local/share
mkdir -p "$HOME/.vst3"
ln -s "$(cd "$bundle" && pwd)" "$HOME/.vst3/Dovrel.vst3"

# The scanner writes the index Ardour reads its plug-in list from.
LD_LIBRARY_PATH=$(dirname "$scanner") "$scanner" -q "$HOME/.vst3/Dovrel.vst3"

# A .vstpreset (header, the component and controller state documents, the chunk list) with the map.
map='{"version":1,"bindings":[{"cc":1,"path":"mix.amount","min":0.2,"max":0.6}]}'
python3 - "$HOME/.vst3/presets/Vanto Music/Dovrel/midimap.vstpreset" "{\"ccMap\":$map}" <<'PY'
import os, struct, sys
path, state = sys.argv[1], sys.argv[2].encode()
class_id = b"B9F3B617B8F3B484BBF3B93DBAF3B7AA"
header = 4 + 4 + 32 + 8
chunks = state + state
body = b"VST3" + struct.pack("<i", 1) + class_id + struct.pack("<q", header + len(chunks)) + chunks
body += b"List" + struct.pack("<i", 2)
body += b"Comp" + struct.pack("<qq", header, len(state))
body += b"Cont" + struct.pack("<qq", header + len(state), len(state))
os.makedirs(os.path.dirname(path), exist_ok=True)
with open(path, "wb") as f:
    f.write(body)
PY

output=$("$lua_tool" "$here/ardour_midi_cc.lua" "$work/session" 2>&1) || true
echo "$output"
if ! grep -q '^done$' <<<"$output" || grep -q '^FAIL' <<<"$output" || [ "$(grep -c '^ok' <<<"$output")" -ne 3 ]; then
  echo "Ardour did not move the bound parameter as expected"
  exit 1
fi
