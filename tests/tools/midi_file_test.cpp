// The standard MIDI file reader of dovrel-render: controller messages timed through the tempo map, every
// other event skipped, and each kind of malformed file refused with a message that names the fault.
#include "midi_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes header(uint16_t format, uint16_t tracks, uint16_t division) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            static_cast<uint8_t>(format >> 8),
            static_cast<uint8_t>(format),
            static_cast<uint8_t>(tracks >> 8),
            static_cast<uint8_t>(tracks),
            static_cast<uint8_t>(division >> 8),
            static_cast<uint8_t>(division)};
}

Bytes chunk(const char* kind, const Bytes& body) {
    const auto size = static_cast<uint32_t>(body.size());
    return Bytes{static_cast<uint8_t>(kind[0]),    static_cast<uint8_t>(kind[1]),
                 static_cast<uint8_t>(kind[2]),    static_cast<uint8_t>(kind[3]),
                 static_cast<uint8_t>(size >> 24), static_cast<uint8_t>(size >> 16),
                 static_cast<uint8_t>(size >> 8),  static_cast<uint8_t>(size)} +
           body;
}

Bytes track(const Bytes& events) {
    return chunk("MTrk", events + Bytes{0x00, 0xFF, 0x2F, 0x00});
}

// Set Tempo: microseconds per quarter note.
Bytes tempo(uint32_t micros) {
    return {0xFF,
            0x51,
            0x03,
            static_cast<uint8_t>(micros >> 16),
            static_cast<uint8_t>(micros >> 8),
            static_cast<uint8_t>(micros)};
}

std::vector<vanto::TimedController> parsed(const Bytes& file) {
    std::vector<vanto::TimedController> controllers;
    std::string error;
    EXPECT_TRUE(vanto::parseMidiFileControllers(file.data(), file.size(), controllers, error)) << error;
    return controllers;
}

void expectControllers(const std::vector<vanto::TimedController>& got,
                       const std::vector<vanto::TimedController>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].seconds, expected[i].seconds, 1e-12) << i;
        EXPECT_EQ(got[i].channel, expected[i].channel) << i;
        EXPECT_EQ(got[i].controller, expected[i].controller) << i;
        EXPECT_EQ(got[i].value, expected[i].value) << i;
    }
}

TEST(MidiFile, ReadsControllersWithRunningStatusAndSkipsEverythingElse) {
    // 480 ticks per quarter note at the default 120 BPM: 480 ticks last 0.5 s.
    const Bytes events = Bytes{0x00, 0x90, 60, 100} +              // note on
                         Bytes{0x00, 0xB2, 7, 10} +                // CC 7 = 10 on channel 3, t = 0
                         Bytes{0x83, 0x60, 7, 20} +                // running status, 480 ticks later
                         Bytes{0x00, 0xF0, 0x02, 0x01, 0xF7} +     // system exclusive
                         Bytes{0x00, 0xC0, 5} +                    // program change (one data byte)
                         Bytes{0x00, 0xE0, 0, 64} +                // pitch bend
                         Bytes{0x00, 0xFF, 0x01, 0x02, 'h', 'i'} + // text
                         Bytes{0x81, 0x70, 0xBF, 1, 127};          // 240 ticks later, channel 16
    const Bytes file = header(0, 1, 480) + chunk("XFIH", Bytes{1, 2, 3}) + track(events);
    expectControllers(parsed(file), {{0.0, 2, 7, 10}, {0.5, 2, 7, 20}, {0.75, 15, 1, 127}});
}

TEST(MidiFile, FollowsTheTempoMapOfTrackOneAcrossTracks) {
    // Track 1: 60 BPM from tick 960 (1 s at 120 BPM). Track 2: controllers at ticks 480, 960 and 1440.
    const Bytes tempoTrack = track(Bytes{0x87, 0x40} + tempo(1000000));
    const Bytes controllers = track(Bytes{0x83, 0x60, 0xB0, 74, 1} + Bytes{0x83, 0x60, 0xB0, 74, 2} +
                                    Bytes{0x83, 0x60, 0xB0, 74, 3});
    expectControllers(parsed(header(1, 2, 480) + tempoTrack + controllers),
                      {{0.5, 0, 74, 1}, {1.0, 0, 74, 2}, {2.0, 0, 74, 3}});
}

TEST(MidiFile, TimesSmpteDivisionsInFrames) {
    // 25 frames per second, 40 ticks per frame: 1000 ticks per second.
    const Bytes file = header(0, 1, 0xE728) + track(Bytes{0x87, 0x68, 0xB0, 1, 64});
    expectControllers(parsed(file), {{1.0, 0, 1, 64}});
}

TEST(MidiFile, RefusesMalformedFilesNamingTheFault) {
    const Bytes good = header(0, 1, 96) + track(Bytes{0x00, 0xB0, 1, 2});
    const struct {
        const char* what;
        Bytes file;
        const char* message;
    } cases[] = {
        {"an empty file", {}, "not a standard MIDI file"},
        {"a WAV file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a standard MIDI file"},
        {"a cut header", Bytes(good.begin(), good.begin() + 10), "truncated header"},
        {"a short header", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 4, 0, 0, 0, 1, 0, 96}, "at least 6 expected"},
        {"format 2", header(2, 1, 96) + track({}), "format 2"},
        {"a division of 0", header(0, 1, 0) + track({}), "0 ticks per quarter"},
        {"an SMPTE rate of 31", header(0, 1, 0xE128) + track({}), "SMPTE"},
        {"a missing track", header(1, 2, 96) + track({}), "ends after 1 of its 2 tracks"},
        {"a track longer than the file", Bytes(good.begin(), good.end() - 2), "truncated track chunk"},
        {"a delta time of five bytes",
         header(0, 1, 96) + chunk("MTrk", {0x81, 0x81, 0x81, 0x81, 0x01, 0xB0, 1, 2}), "longer than 4 bytes"},
        {"a data byte without a status", header(0, 1, 96) + chunk("MTrk", {0x00, 0x10, 0x20}),
         "no running status"},
        {"a data byte above 127", header(0, 1, 96) + chunk("MTrk", {0x00, 0xB0, 0x80, 0x01}), "above 127"},
        {"a message cut by the track's end", header(0, 1, 96) + chunk("MTrk", {0x00, 0xB0, 0x01}),
         "truncated channel message"},
        {"a tempo of two bytes", header(0, 1, 96) + chunk("MTrk", {0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}),
         "tempo event of 2 bytes"},
        {"a tempo of zero", header(0, 1, 96) + track(Bytes{0x00} + tempo(0)), "tempo of 0"},
        {"a meta event longer than its track",
         header(0, 1, 96) + chunk("MTrk", {0x00, 0xFF, 0x01, 0x10, 'x'}), "truncated meta event"},
        {"a system message in a track", header(0, 1, 96) + chunk("MTrk", {0x00, 0xF8}), "system message 248"},
    };
    for (const auto& c : cases) {
        std::vector<vanto::TimedController> controllers{{1.0, 1, 1, 1}};
        std::string error;
        EXPECT_FALSE(vanto::parseMidiFileControllers(c.file.data(), c.file.size(), controllers, error))
            << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    }
}

} // namespace
