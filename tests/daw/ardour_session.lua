-- A headless Ardour session for the plug-in: the dummy backend feeds a constant level (DC) into a
-- stereo track whose first plug-in is Dovrel, the session's tempo is 100 BPM, Dovrel follows the host
-- ("sync.source" 1) and listens to its test pulse ("sidechain.source" 2) with the full depth. Four
-- seconds of the master bus are exported. Ardour passes VST 3 parameters in plain units.
-- @OUT_FOLDER@ and @SESSION_FOLDER@ are filled in by the test. "dovrel-export true" is the last line
-- printed: the test reads everything after it as Ardour's own teardown.
local backend = AudioEngine:set_backend("None (Dummy)", "", "")
backend:set_device_name("DC -6dBFS (+.5)")
backend:set_sample_rate(48000)
assert(AudioEngine:start(false) == 0, "the dummy backend does not start")
assert(create_session("@SESSION_FOLDER@", "dovrel", 48000), "no session")

local tempoMap = Temporal.TempoMap.write_copy()
tempoMap:set_tempo(Temporal.Tempo(100, 100, 4), Temporal.timepos_t(0))
Temporal.TempoMap.update(tempoMap)

local track = Session:new_audio_track(2, 2, nil, 1, "bass", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
local dovrel = ARDOUR.LuaAPI.new_plugin(Session, "Dovrel", ARDOUR.PluginType.VST3, "")
assert(not dovrel:isnil(), "Ardour does not find Dovrel")
assert(track:add_processor_by_index(dovrel, 0, nil, true), "Dovrel cannot be added to the track")
print("dovrel-inputs " .. dovrel:to_insert():plugin(0):get_info().n_inputs:n_audio())

-- macro.space 1, macro.glue 0, sidechain.source 2 (test pulse), sidechain.audition 0, sync.source 1
for id, value in pairs({[1] = 1.0, [3] = 0.0, [4] = 2.0, [30] = 0.0, [33] = 1.0}) do
  assert(ARDOUR.LuaAPI.set_processor_param(dovrel, id, value), "parameter " .. id)
end
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)

local export = Session:simple_export()
export:set_folder("@OUT_FOLDER@")
export:set_name("render")
export:set_range(0, 48000 * 4)
print("dovrel-export " .. tostring(export:run_export()))
