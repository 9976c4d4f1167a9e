// The render tool's command line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vanto {

struct RenderOptions {
    bool help = false;
    bool demo = false; // render the built-in demo instead of an input file
    std::string input; // empty with demo
    std::string output;
    std::string preset;                // factory preset id; empty: none
    std::vector<std::string> settings; // "PATH=VALUE", applied after the preset, in order
    std::string stateIn;               // component state document to restore first
    std::string stateOut;              // where to save the component state after rendering
    std::string midiFile;              // standard MIDI file whose controllers are played; empty: none
    int blockFrames = 512;             // host block size
    std::string bundle;                // empty: the default bundle
    std::string metersCsv;             // where to write the meter records as CSV; empty: nowhere
    std::string metersPlot;            // where to draw the meter records as PNG; empty: nowhere

    bool wantsMeters() const { return !metersCsv.empty() || !metersPlot.empty(); }
    double tempoFrom = 0;  // host tempo in BPM at the start (0: the host gives none)
    double tempoTo = 0;    // host tempo at the end (a ramp when it differs)
    std::string sidechain; // WAV fed to the side-chain bus; empty: the bus stays off
};

// False with a message when the command line is malformed or incomplete.
bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);
void printRenderUsage(std::FILE* to);

} // namespace vanto
