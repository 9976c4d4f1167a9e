-- Run by ardour_midi_cc.sh in Ardour's headless Lua session tool: a MIDI track with Dovrel on it, the CC
-- map from the preset the script wrote ("midimap": CC 1 on any channel to mix.amount over 0.2 ... 0.6),
-- and the track's own MIDI CC 1 control moved, which sends the controller through the track into
-- Dovrel's MIDI input. Ardour maps it with Dovrel's IMidiMapping and reads the value Dovrel reports.
-- Prints one "ok" or "FAIL" line per step and "done" at the end.
io.stdout:setvbuf ("no")
local session_dir = assert (arg[1], "the session folder")

assert (create_session (session_dir, "dovrel-midi", 48000), "cannot create a session")
local tracks = Session:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
  ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2), false, ARDOUR.PluginInfo (), nil, nil, 1, "MIDI",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
local track = tracks:front ()

local dovrel = ARDOUR.LuaAPI.new_plugin (Session, "Dovrel", ARDOUR.PluginType.VST3, "")
assert (not dovrel:isnil (), "Ardour does not know Dovrel")
assert (track:add_processor_by_index (dovrel, 0, nil, true), "Dovrel cannot go on a MIDI track")
local plugin = dovrel:to_insert ():plugin (0)
local preset = plugin:preset_by_label ("midimap")
assert (preset and plugin:load_preset (preset), "the CC map preset does not load")

local MIX = 31 -- mix.amount, the table's row 31
local cc1 = track:to_automatable ():automation_control (
  Evoral.Parameter (ARDOUR.AutomationType.MidiCCAutomation, 0, 1), true)
assert (not cc1:isnil (), "the track has no CC 1 control")

for _, step in ipairs ({ {127, 0.6}, {0, 0.2}, {64, 0.2 + 0.4 * 64 / 127} }) do
  cc1:set_value (step[1], PBD.GroupControlDisposition.NoGroup)
  local value = nil
  for _ = 1, 100 do -- up to 5 s for the engine to run the next cycles
    ARDOUR.LuaAPI.usleep (50000)
    value = ARDOUR.LuaAPI.get_processor_param (dovrel, MIX, true)
    if math.abs (value - step[2]) < 1e-6 then break end
  end
  print (string.format ("%s CC 1 = %d moves mix.amount to %.6f (expected %.6f)",
    math.abs (value - step[2]) < 1e-6 and "ok" or "FAIL", step[1], value, step[2]))
end
close_session ()
print ("done")
