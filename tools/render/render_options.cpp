#include "render_options.h"

#include "param_table.h"

#include <charconv>

namespace vanto {

namespace {

bool readBlockFrames(const std::string& text, int& frames) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, frames);
    return failure == std::errc() && stop == end && frames > 0;
}

bool readTempo(const std::string& text, double& bpm) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, bpm);
    return failure == std::errc() && stop == end && bpm > 0 && bpm <= 1000;
}

// "FROM:TO", two tempos.
bool readTempoRamp(const std::string& text, double& from, double& to) {
    const std::size_t colon = text.find(':');
    return colon != std::string::npos && readTempo(text.substr(0, colon), from) &&
           readTempo(text.substr(colon + 1), to);
}

// The value of an option that takes one; false when the command line ends first.
bool takeValue(int argc, char** argv, int& index, std::string& value) {
    if (index + 1 >= argc) {
        return false;
    }
    value = argv[++index];
    return true;
}

} // namespace

bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error) {
    std::vector<std::string> files;
    for (int index = 1; index < argc; ++index) {
        const std::string arg = argv[index];
        std::string value;
        const bool takesValue = arg == "--preset" || arg == "--set" || arg == "--state-in" ||
                                arg == "--state-out" || arg == "--block" || arg == "--bundle" ||
                                arg == "--meters" || arg == "--plot" || arg == "--midi" || arg == "--tempo" ||
                                arg == "--tempo-ramp" || arg == "--sidechain";

        if (takesValue && !takeValue(argc, argv, index, value)) {
            error = arg + " needs a value";
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--preset") {
            options.preset = value;
        } else if (arg == "--set") {
            options.settings.push_back(value);
        } else if (arg == "--state-in") {
            options.stateIn = value;
        } else if (arg == "--state-out") {
            options.stateOut = value;
        } else if (arg == "--bundle") {
            options.bundle = value;
        } else if (arg == "--meters") {
            options.metersCsv = value;
        } else if (arg == "--plot") {
            options.metersPlot = value;
        } else if (arg == "--midi") {
            options.midiFile = value;
        } else if (arg == "--sidechain") {
            options.sidechain = value;
        } else if (arg == "--tempo") {
            if (!readTempo(value, options.tempoFrom)) {
                error = "--tempo needs a tempo in BPM above 0 (at most 1000), got \"" + value + "\"";
                return false;
            }
            options.tempoTo = options.tempoFrom;
        } else if (arg == "--tempo-ramp") {
            if (!readTempoRamp(value, options.tempoFrom, options.tempoTo)) {
                error = "--tempo-ramp needs FROM:TO, two tempos in BPM above 0, got \"" + value + "\"";
                return false;
            }
        } else if (arg == "--block") {
            if (!readBlockFrames(value, options.blockFrames)) {
                error = "--block needs a positive whole number of frames, got \"" + value + "\"";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            files.push_back(arg);
        }
    }
    if (options.help) {
        return true;
    }
    const std::size_t expected = options.demo ? 1 : 2;
    if (files.size() != expected) {
        error = options.demo ? "--demo takes one OUTPUT.wav" : "expected INPUT.wav and OUTPUT.wav";
        return false;
    }
    options.output = files.back();
    if (!options.demo) {
        options.input = files.front();
    }
    return true;
}

void printRenderUsage(std::FILE* to) {
    std::fprintf(
        to, "usage: dovrel-render [options] INPUT.wav OUTPUT.wav\n"
            "       dovrel-render [options] --demo OUTPUT.wav\n"
            "Renders audio through the Dovrel plug-in as a host does and writes 32-bit float WAV at the\n"
            "input's rate, as long as the input and aligned with it.\n"
            "  --preset ID          apply a factory preset\n"
            "  --set PATH=VALUE     set a parameter to a plain value (after the preset; repeatable)\n"
            "  --state-in FILE      restore a component state document first\n"
            "  --state-out FILE     save the component state document after rendering\n"
            "  --midi FILE.mid      play the controller messages of a standard MIDI file into the\n"
            "                       plug-in's MIDI input at their times (the CC map, e.g. from\n"
            "                       --state-in, says what they control)\n"
            "  --block N            host block size in frames (default 512)\n"
            "  --tempo BPM          play as a host at this tempo (the plug-in follows it when\n"
            "                       sync.source is 1)\n"
            "  --tempo-ramp FROM:TO play as a host whose tempo moves from FROM to TO over the input\n"
            "  --sidechain FILE     feed FILE to the side-chain bus (same rate as the input; cut or\n"
            "                       padded with silence to its length)\n"
            "  --bundle PATH        the plug-in bundle (default ~/.vst3/Dovrel.vst3 when installed,\n"
            "                       else the bundle of the build the tool came from)\n"
            "  --demo               render the built-in 10 s demo at 48000 Hz\n"
            "  --meters FILE.csv    write the effect's meter records (about 100 a second) as CSV\n"
            "  --plot FILE.png      draw input, output and gain reduction over time, hits marked\n"
            "presets:");
    for (const vanto_factory_preset& preset : VANTO_FACTORY_PRESETS) {
        std::fprintf(to, " %s", preset.id);
    }
    std::fprintf(to, "\n");
}

} // namespace vanto
