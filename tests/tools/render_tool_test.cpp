// dovrel-render run as a user runs it: a separate process, given files, leaving files and one line
// per refusal.
#include "banks/temp_folder.h"
#include "demo_signal.h"
#include "wav_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace {

using vanto::StereoBuffer;
using vanto::fixtures::TempFolder;

struct RunResult {
    int exitCode = -1;
    std::string standardError;
};

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// Runs the tool on the bundle of this build with `arguments`, shell-quoted by the caller.
RunResult runTool(const TempFolder& folder, const std::string& arguments) {
    const std::string errors = folder.at("stderr.txt");
    const std::string command = quoted(DOVREL_RENDER_PATH) + " --bundle " + quoted(DOVREL_BUNDLE_PATH) + " " +
                                arguments + " >/dev/null 2>" + quoted(errors);
    RunResult result;
    const int status = std::system(command.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream file(errors);
    result.standardError.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return result;
}

StereoBuffer clickAt(std::size_t frames, std::size_t click) {
    StereoBuffer audio(frames);
    audio.left[click] = 0.5f;
    audio.right[click] = -0.5f;
    return audio;
}

std::size_t loudestFrame(const std::vector<float>& samples) {
    const auto loudest = std::max_element(samples.begin(), samples.end(),
                                          [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    return static_cast<std::size_t>(loudest - samples.begin());
}

// Where the energy of a band-limited click sits, to a fraction of a frame.
double energyCentre(const std::vector<float>& samples, std::size_t around) {
    double weighted = 0;
    double energy = 0;
    for (std::size_t i = around - 64; i <= around + 64; ++i) {
        const double power = double(samples[i]) * samples[i];
        weighted += power * static_cast<double>(i);
        energy += power;
    }
    return weighted / energy;
}

// The plug-in's rate converter delays by 16 + 20 * rate / 48000 frames and reports that rounded up,
// so the tool's output leads the input by the fraction it rounded up by.
double reportedLatencyLead(double rate) {
    if (rate == 48000) {
        return 0;
    }
    const double delay = 16 + 20 * rate / 48000;
    return std::ceil(delay) - delay;
}

void writeInput(const std::string& path, const StereoBuffer& audio, double rate) {
    std::string error;
    ASSERT_TRUE(vanto::writeFloatWav(path, audio, rate, error)) << error;
}

// Mix 0 and output 1 pass the input through, so what comes out must line up with what went in.
const std::string kPassThrough = "--set mix.amount=0 --set master.level=1";

class RenderToolAtRate : public ::testing::TestWithParam<double> {};

TEST_P(RenderToolAtRate, KeepsTheInputsLengthRateAndTiming) {
    const double rate = GetParam();
    TempFolder folder;
    const std::size_t frames = 30011;
    const std::size_t click = 12345;
    writeInput(folder.at("in.wav"), clickAt(frames, click), rate);

    const RunResult run = runTool(folder, kPassThrough + " --block 500 " + quoted(folder.at("in.wav")) + " " +
                                              quoted(folder.at("out.wav")));
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    StereoBuffer output;
    double outputRate = 0;
    std::string error;
    ASSERT_TRUE(vanto::readAudioFile(folder.at("out.wav"), output, outputRate, error)) << error;
    EXPECT_EQ(outputRate, rate);
    EXPECT_EQ(output.frames(), frames);
    const double lead = reportedLatencyLead(rate);
    EXPECT_NEAR(energyCentre(output.left, click), static_cast<double>(click) - lead, 0.1);
    EXPECT_NEAR(energyCentre(output.right, click), static_cast<double>(click) - lead, 0.1);
    // Where the delay is a whole number of frames the click lands on its own frame.
    const std::size_t expectedPeak = lead > 0.5 ? click - 1 : click;
    EXPECT_EQ(loudestFrame(output.left), expectedPeak);
    EXPECT_EQ(loudestFrame(output.right), expectedPeak);
    EXPECT_LT(output.right[expectedPeak], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Rates, RenderToolAtRate, ::testing::Values(48000.0, 44100.0, 96000.0, 22050.0));

TEST(RenderTool, RendersTheDemoForTenSecondsAtFortyEightKilohertz) {
    TempFolder folder;
    const RunResult run = runTool(folder, "--preset bass-under-kick --demo " + quoted(folder.at("demo.wav")));
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    StereoBuffer output;
    double rate = 0;
    std::string error;
    ASSERT_TRUE(vanto::readAudioFile(folder.at("demo.wav"), output, rate, error)) << error;
    EXPECT_EQ(rate, 48000.0);
    EXPECT_EQ(output.frames(), 480000u);
    EXPECT_GT(*std::max_element(output.left.begin(), output.left.end()), 0.1f);
}

TEST(RenderTool, ASavedStateRendersLikeTheSettingsThatMadeIt) {
    TempFolder folder;
    writeInput(folder.at("in.wav"), vanto::makeDemoSignal(44100, 1.0), 44100);
    const std::string in = quoted(folder.at("in.wav"));
    ASSERT_EQ(runTool(folder, "--preset vocal-sit --set glue.ratio=6.5 --state-out " +
                                  quoted(folder.at("state.json")) + " " + in + " " +
                                  quoted(folder.at("a.wav")))
                  .exitCode,
              0);
    ASSERT_EQ(runTool(folder, "--state-in " + quoted(folder.at("state.json")) + " " + in + " " +
                                  quoted(folder.at("b.wav")))
                  .exitCode,
              0);
    ASSERT_EQ(runTool(folder, in + " " + quoted(folder.at("plain.wav"))).exitCode, 0);
    const auto bytes = vanto::fixtures::fileBytes;
    EXPECT_EQ(bytes(folder.at("a.wav")), bytes(folder.at("b.wav")));
    EXPECT_NE(bytes(folder.at("a.wav")), bytes(folder.at("plain.wav")));
    const auto state = bytes(folder.at("state.json"));
    EXPECT_NE(std::string(state.begin(), state.end()).find("\"glue.ratio\":6.5,"), std::string::npos);
}

// A MIDI file (format 0, 480 ticks per quarter note at 120 BPM) with controller 7 on channel 1 set to
// 100 at the start and to 0 after half a second.
std::string levelAutomationFile() {
    const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0, 6,    0,    0,    0,    1,
                                   0x01, 0xE0, 'M',  'T',  'r',  'k', 0, 0,    0,    13,   0x00, 0xB0,
                                   7,    100,  0x83, 0x60, 0xB0, 7,   0, 0x00, 0xFF, 0x2F, 0x00};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// Bass only: the effect's own detection finds nothing in it once it has started.
StereoBuffer bassSine(double rate, double seconds) {
    StereoBuffer audio(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        audio.left[i] = audio.right[i] = static_cast<float>(0.4 * std::sin(2 * M_PI * 55 * i / rate));
    }
    return audio;
}

// A 60 Hz kick burst every half second from 0.25 s on.
StereoBuffer kickBursts(double rate, double seconds) {
    StereoBuffer audio(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        const double t = std::fmod(i / rate + 0.25, 0.5);
        audio.left[i] = audio.right[i] =
            static_cast<float>(0.9 * std::exp(-t / 0.06) * std::sin(2 * M_PI * 60 * t));
    }
    return audio;
}

double energy(const std::vector<float>& samples, std::size_t from, std::size_t frames) {
    double sum = 0;
    for (std::size_t i = from; i < from + frames; ++i) {
        sum += double(samples[i]) * samples[i];
    }
    return sum;
}

// Controller 7 bound to the output level through the state's CC map: the level the file sets at 0.5 s
// silences the rest, and the saved state holds it.
TEST(RenderTool, PlaysTheControllersOfAMidiFileAtTheirTimes) {
    constexpr double kRate = 48000;
    TempFolder folder;
    writeInput(folder.at("in.wav"), vanto::makeDemoSignal(kRate, 1.0), kRate);
    vanto::fixtures::writeFile(folder.at("level.mid"), levelAutomationFile());
    vanto::fixtures::writeFile(
        folder.at("map.json"),
        std::string(R"({"params":{"mix.amount":0,"master.level":1},)"
                    R"("ccMap":{"version":1,"bindings":[{"cc":7,"path":"master.level"}]}})"));
    const RunResult run =
        runTool(folder, "--state-in " + quoted(folder.at("map.json")) + " --midi " +
                            quoted(folder.at("level.mid")) + " --state-out " + quoted(folder.at("out.json")) +
                            " " + quoted(folder.at("in.wav")) + " " + quoted(folder.at("out.wav")));
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    StereoBuffer input;
    StereoBuffer output;
    double rate = 0;
    std::string error;
    ASSERT_TRUE(vanto::readAudioFile(folder.at("in.wav"), input, rate, error)) << error;
    ASSERT_TRUE(vanto::readAudioFile(folder.at("out.wav"), output, rate, error)) << error;
    // The dry signal at the level 100 / 127 (once the level has glided there from 1) up to the drop at
    // 0.5 s, nearly nothing once the level has glided down to 0.
    const auto gain = [&](double from, double to) {
        const auto a = static_cast<std::size_t>(from * kRate);
        const auto b = static_cast<std::size_t>(to * kRate);
        return std::sqrt(energy(output.left, a, b - a) / energy(input.left, a, b - a));
    };
    EXPECT_NEAR(gain(0.1, 0.5), 100.0 / 127, 0.002);
    EXPECT_NEAR(gain(0.49, 0.5), 100.0 / 127, 0.002);
    EXPECT_LT(gain(0.5, 0.51), 100.0 / 127 - 0.05);
    EXPECT_LT(gain(0.7, 1.0), 0.01);
    const auto state = vanto::fixtures::fileBytes(folder.at("out.json"));
    EXPECT_NE(std::string(state.begin(), state.end()).find("\"master.level\":0,"), std::string::npos);
}

TEST(RenderTool, PlaysAHostTempoThatOnlySyncSourceHostFollows) {
    TempFolder folder;
    writeInput(folder.at("in.wav"), bassSine(48000, 2.0), 48000);
    const std::string pulse =
        "--set sidechain.source=2 --set macro.space=1 " + quoted(folder.at("in.wav")) + " ";
    const auto render = [&](const std::string& options, const char* name) {
        EXPECT_EQ(runTool(folder, options + " " + pulse + quoted(folder.at(name))).exitCode, 0) << options;
        return vanto::fixtures::fileBytes(folder.at(name));
    };
    const auto own = render("", "own.wav");
    EXPECT_EQ(render("--tempo 90", "manual.wav"), own) << "Manual keeps to sync.bpm";
    const auto host = render("--tempo 90 --set sync.source=1", "host.wav");
    EXPECT_NE(host, own);
    EXPECT_EQ(render("--tempo 90 --set sync.source=1 --set sync.bpm=90", "same.wav"),
              render("--set sync.bpm=90", "bpm90.wav"))
        << "a host tempo of 90 sounds like a manual 90";
    EXPECT_NE(render("--tempo-ramp 90:180 --set sync.source=1", "ramp.wav"), host);
}

TEST(RenderTool, FeedsASidechainFileThatDucksTheInput) {
    for (const double rate : {48000.0, 44100.0}) {
        TempFolder folder;
        writeInput(folder.at("bass.wav"), bassSine(rate, 2.0), rate);
        writeInput(folder.at("kicks.wav"), kickBursts(rate, 1.5), rate);
        const std::string settings =
            "--set macro.space=1 --set macro.glue=0 " + quoted(folder.at("bass.wav")) + " ";
        ASSERT_EQ(runTool(folder, settings + quoted(folder.at("plain.wav"))).exitCode, 0);
        const RunResult fed = runTool(folder, "--sidechain " + quoted(folder.at("kicks.wav")) + " " +
                                                  settings + quoted(folder.at("fed.wav")));
        ASSERT_EQ(fed.exitCode, 0) << fed.standardError;
        StereoBuffer plain;
        StereoBuffer ducked;
        double outRate = 0;
        std::string error;
        ASSERT_TRUE(vanto::readAudioFile(folder.at("plain.wav"), plain, outRate, error)) << error;
        ASSERT_TRUE(vanto::readAudioFile(folder.at("fed.wav"), ducked, outRate, error)) << error;
        ASSERT_EQ(ducked.frames(), plain.frames()) << "the side-chain file is padded to the input's length";
        // Just after each kick the bass is quieter than without the side-chain.
        for (const double kick : {0.75, 1.25}) {
            const auto from = static_cast<std::size_t>((kick + 0.02) * rate);
            const auto frames = static_cast<std::size_t>(0.05 * rate);
            EXPECT_LT(energy(ducked.left, from, frames), 0.8 * energy(plain.left, from, frames))
                << rate << " " << kick;
        }
    }
}

struct BadRun {
    const char* what;
    std::string arguments; // before the output file
};

std::vector<std::vector<std::string>> csvRows(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(file, line);) {
        std::vector<std::string> cells(1);
        for (char c : line) {
            if (c == ',') {
                cells.emplace_back();
            } else {
                cells.back() += c;
            }
        }
        rows.push_back(cells);
    }
    return rows;
}

// The demo's meters: about 100 records a second back to back, the kicks every quarter second, and a
// PNG picture of them.
TEST(RenderTool, WritesTheMeterRecordsWithTheirTimesAndPlotsThem) {
    const TempFolder folder;
    const RunResult result =
        runTool(folder, "--demo --meters " + quoted(folder.at("meters.csv")) + " --plot " +
                            quoted(folder.at("meters.png")) + " " + quoted(folder.at("out.wav")));
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const auto rows = csvRows(folder.at("meters.csv"));
    ASSERT_GE(rows.size(), 2u);
    const std::vector<std::string>& header = rows.front();
    ASSERT_EQ(header.size(), 32u);
    EXPECT_EQ(header[0], "time_s");
    EXPECT_EQ(header[3], "kick_hit_s");
    EXPECT_EQ(header[10], "low_band_gain_db");
    // Ten seconds; the records of the last few milliseconds may still be open at the end.
    EXPECT_GE(rows.size() - 1, 995u);
    EXPECT_LE(rows.size() - 1, 1001u);
    double expectedTime = 0;
    std::vector<double> kicks;
    double deepest = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), header.size()) << i;
        EXPECT_NEAR(std::stod(rows[i][0]), expectedTime, 1e-6) << i;
        expectedTime += std::stod(rows[i][1]) / 48000;
        if (!rows[i][3].empty()) {
            kicks.push_back(std::stod(rows[i][3]));
        }
        deepest = std::min(deepest, std::stod(rows[i][10]));
    }
    EXPECT_LT(deepest, -0.25) << "the low band ducks";
    // The demo kicks every quarter second; the kick lane hears most of them, nearly all close after
    // their beat (the bass under the first kick may retrigger the lane once).
    EXPECT_GE(kicks.size(), 25u);
    const auto onBeat = std::count_if(kicks.begin(), kicks.end(), [](double kick) {
        const double fromBeat = kick - 0.25 * std::round(kick / 0.25);
        return fromBeat >= 0.0 && fromBeat < 0.03;
    });
    EXPECT_GE(static_cast<std::size_t>(onBeat) + 1, kicks.size());

    std::ifstream png(folder.at("meters.png"), std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(png), {});
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    // The IHDR chunk: width and height, big-endian.
    const auto word = [&](std::size_t at) {
        return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
               (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
    };
    EXPECT_EQ(word(16), 1400u);
    EXPECT_EQ(word(20), 720u);
}

TEST(RenderTool, RefusesBadInputWithOneLineAndNoOutput) {
    TempFolder folder;
    writeInput(folder.at("in.wav"), clickAt(1000, 10), 48000);
    writeInput(folder.at("too-fast.wav"), clickAt(1000, 10), 4000001);
    writeInput(folder.at("too-slow.wav"), clickAt(100, 10), 20);
    vanto::fixtures::writeFile(folder.at("text.wav"), std::string("not audio at all"));
    vanto::fixtures::writeFile(folder.at("broken-state.json"), std::string("{\"params\":"));
    const std::string in = quoted(folder.at("in.wav"));
    const BadRun runs[] = {
        {"a missing input", quoted(folder.at("missing.wav"))},
        {"an input that is no audio", quoted(folder.at("text.wav"))},
        {"an unknown preset", "--preset no-such-preset " + in},
        {"an unknown parameter path", "--set glue.nothing=1 " + in},
        {"a value that is no number", "--set glue.ratio=fast " + in},
        {"a value out of range", "--set glue.ratio=9 " + in},
        {"a rate above what the effect runs at", quoted(folder.at("too-fast.wav"))},
        {"a rate too low for the converter", quoted(folder.at("too-slow.wav"))},
        {"a block larger than the effect takes", "--block 16385 " + in},
        {"a state document the effect refuses",
         "--state-in " + quoted(folder.at("broken-state.json")) + " " + in},
        {"a missing state document", "--state-in " + quoted(folder.at("none.json")) + " " + in},
        {"a meters file that cannot be written",
         "--meters " + quoted(folder.at("no/such/meters.csv")) + " " + in},
        {"a plot that cannot be written", "--plot " + quoted(folder.at("no/such/plot.png")) + " " + in},
        {"a missing MIDI file", "--midi " + quoted(folder.at("none.mid")) + " " + in},
        {"a MIDI file that is none", "--midi " + quoted(folder.at("text.wav")) + " " + in},
        {"a tempo that is no number", "--tempo fast " + in},
        {"a tempo of 0", "--tempo 0 " + in},
        {"a tempo ramp without its end", "--tempo-ramp 90 " + in},
        {"a missing side-chain file", "--sidechain " + quoted(folder.at("none.wav")) + " " + in},
        {"a side-chain at another rate", "--sidechain " + quoted(folder.at("too-slow.wav")) + " " + in},
    };
    for (const BadRun& run : runs) {
        const std::string output = folder.at("out.wav");
        const RunResult result = runTool(folder, run.arguments + " " + quoted(output));
        EXPECT_NE(result.exitCode, 0) << run.what;
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << run.what << ": " << result.standardError;
        EXPECT_EQ(result.standardError.rfind("dovrel-render: ", 0), 0u)
            << run.what << ": " << result.standardError;
        EXPECT_FALSE(std::filesystem::exists(output)) << run.what;
        EXPECT_FALSE(std::filesystem::exists(output + ".partial")) << run.what;
    }
}

} // namespace
