#include "midi_file.h"

#include <algorithm>
#include <optional>

namespace vanto {

namespace {

constexpr uint32_t kDefaultMicrosPerQuarter = 500000; // 120 BPM until the first tempo event
constexpr int kMaxVariableLengthBytes = 4;

// A controller message on the file's tick grid, before the tempo map turns ticks into seconds.
struct TickedController {
    uint64_t tick;
    std::size_t track;
    TimedController message;
};

struct TempoChange {
    uint64_t tick;
    uint32_t microsPerQuarter;
};

// A bounded reader over the file: every read checks what is left and records the first fault.
class Cursor {
  public:
    Cursor(const uint8_t* bytes, std::size_t size, std::size_t base) : bytes(bytes), size(size), base(base) {}

    bool atEnd() const { return position >= size; }
    std::size_t offset() const { return base + position; }

    std::optional<uint8_t> byte(const char* what, std::string& error) {
        if (position >= size) {
            error = std::string("truncated ") + what + " at byte " + std::to_string(offset());
            return std::nullopt;
        }
        return bytes[position++];
    }

    std::optional<uint32_t> bigEndian(int count, const char* what, std::string& error) {
        uint32_t value = 0;
        for (int index = 0; index < count; ++index) {
            const std::optional<uint8_t> next = byte(what, error);
            if (!next) {
                return std::nullopt;
            }
            value = value << 8 | *next;
        }
        return value;
    }

    std::optional<uint32_t> variableLength(const char* what, std::string& error) {
        uint32_t value = 0;
        for (int index = 0; index < kMaxVariableLengthBytes; ++index) {
            const std::optional<uint8_t> next = byte(what, error);
            if (!next) {
                return std::nullopt;
            }
            value = value << 7 | (*next & 0x7Fu);
            if ((*next & 0x80u) == 0) {
                return value;
            }
        }
        error = std::string(what) + " longer than 4 bytes at byte " + std::to_string(offset());
        return std::nullopt;
    }

    bool skip(uint32_t count, const char* what, std::string& error) {
        if (count > size - position) {
            error = std::string("truncated ") + what + " at byte " + std::to_string(offset());
            return false;
        }
        position += count;
        return true;
    }

    const uint8_t* here() const { return bytes + position; }

  private:
    const uint8_t* bytes;
    std::size_t size;
    std::size_t base;
    std::size_t position = 0;
};

// How many data bytes a channel message of this status carries.
int dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0u;
    return kind == 0xC0u || kind == 0xD0u ? 1 : 2;
}

struct TrackReader {
    std::size_t track;
    std::vector<TickedController>& controllers;
    std::vector<TempoChange>& tempos;
    std::string& error;

    bool readMeta(Cursor& cursor, uint64_t tick) {
        const std::optional<uint8_t> type = cursor.byte("meta event", error);
        const std::optional<uint32_t> length =
            type ? cursor.variableLength("meta event length", error) : std::nullopt;
        if (!length) {
            return false;
        }
        const uint8_t* data = cursor.here();
        if (!cursor.skip(*length, "meta event", error)) {
            return false;
        }
        if (*type == 0x51) {
            if (*length != 3) {
                error = "tempo event of " + std::to_string(*length) + " bytes (3 expected) before byte " +
                        std::to_string(cursor.offset());
                return false;
            }
            const uint32_t micros = uint32_t{data[0]} << 16 | uint32_t{data[1]} << 8 | data[2];
            if (micros == 0) {
                error =
                    "tempo of 0 microseconds per quarter note before byte " + std::to_string(cursor.offset());
                return false;
            }
            tempos.push_back({tick, micros});
        }
        return true;
    }

    bool readChannelMessage(Cursor& cursor, uint8_t status, std::optional<uint8_t> first, uint64_t tick) {
        uint8_t data[2] = {0, 0};
        const int count = dataBytesOf(status);
        for (int index = 0; index < count; ++index) {
            const std::optional<uint8_t> next =
                index == 0 && first ? first : cursor.byte("channel message", error);
            if (!next) {
                return false;
            }
            if (*next >= 0x80u) {
                error = "data byte above 127 at byte " + std::to_string(cursor.offset() - 1);
                return false;
            }
            data[index] = *next;
        }
        if ((status & 0xF0u) == 0xB0u) {
            controllers.push_back({tick, track, {0.0, status & 0x0F, data[0], data[1]}});
        }
        return true;
    }

    bool read(Cursor& cursor) {
        uint64_t tick = 0;
        std::optional<uint8_t> runningStatus;
        while (!cursor.atEnd()) {
            const std::optional<uint32_t> delta = cursor.variableLength("delta time", error);
            const std::optional<uint8_t> lead = delta ? cursor.byte("event", error) : std::nullopt;
            if (!lead) {
                return false;
            }
            tick += *delta;
            if (*lead == 0xFF) {
                if (!readMeta(cursor, tick)) {
                    return false;
                }
                continue;
            }
            if (*lead == 0xF0 || *lead == 0xF7) {
                const std::optional<uint32_t> length =
                    cursor.variableLength("system exclusive length", error);
                if (!length || !cursor.skip(*length, "system exclusive message", error)) {
                    return false;
                }
                continue;
            }
            if (*lead >= 0xF1) {
                error = "system message " + std::to_string(*lead) + " inside a track at byte " +
                        std::to_string(cursor.offset() - 1);
                return false;
            }
            if (*lead >= 0x80) {
                runningStatus = *lead;
                if (!readChannelMessage(cursor, *lead, std::nullopt, tick)) {
                    return false;
                }
            } else if (!runningStatus) {
                error = "data byte without a status (no running status) at byte " +
                        std::to_string(cursor.offset() - 1);
                return false;
            } else if (!readChannelMessage(cursor, *runningStatus, *lead, tick)) {
                return false;
            }
        }
        return true;
    }
};

// Ticks to seconds: quarter notes through the tempo map, or SMPTE frames.
class TickClock {
  public:
    TickClock(uint16_t division, std::vector<TempoChange> changes)
        : division(division), tempos(std::move(changes)) {
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        // The time at which each tempo starts, so that any tick is one tempo segment away.
        double total = 0;
        uint64_t from = 0;
        uint32_t micros = kDefaultMicrosPerQuarter;
        for (const TempoChange& change : tempos) {
            total += quarterSeconds(change.tick - from, micros);
            startSeconds.push_back(total);
            from = change.tick;
            micros = change.microsPerQuarter;
        }
    }

    double seconds(uint64_t tick) const {
        if ((division & 0x8000u) != 0) {
            const int framesPerSecond = -static_cast<int8_t>(division >> 8);
            const double rate = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
            return static_cast<double>(tick) / (rate * (division & 0xFFu));
        }
        // The last tempo that starts before this tick (a tempo at the same tick counts from there on).
        const auto next =
            std::lower_bound(tempos.begin(), tempos.end(), tick,
                             [](const TempoChange& change, uint64_t t) { return change.tick < t; });
        if (next == tempos.begin()) {
            return quarterSeconds(tick, kDefaultMicrosPerQuarter);
        }
        const std::size_t index = static_cast<std::size_t>(next - tempos.begin()) - 1;
        return startSeconds[index] +
               quarterSeconds(tick - tempos[index].tick, tempos[index].microsPerQuarter);
    }

  private:
    double quarterSeconds(uint64_t ticks, uint32_t micros) const {
        return static_cast<double>(ticks) * micros / (1e6 * division);
    }

    uint16_t division;
    std::vector<TempoChange> tempos;
    std::vector<double> startSeconds;
};

bool validDivision(uint16_t division, std::string& error) {
    if ((division & 0x8000u) != 0) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        if ((framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 &&
             framesPerSecond != 30) ||
            (division & 0xFFu) == 0) {
            error = "SMPTE time division with " + std::to_string(framesPerSecond) +
                    " frames per second and " + std::to_string(division & 0xFFu) + " ticks per frame";
            return false;
        }
        return true;
    }
    if (division == 0) {
        error = "time division of 0 ticks per quarter note";
        return false;
    }
    return true;
}

} // namespace

bool parseMidiFileControllers(const uint8_t* bytes, std::size_t size, std::vector<TimedController>& out,
                              std::string& error) {
    Cursor file(bytes, size, 0);
    const std::optional<uint32_t> magic = file.bigEndian(4, "header", error);
    if (!magic || *magic != 0x4D546864u) { // "MThd"
        error = "not a standard MIDI file (it does not begin with MThd)";
        return false;
    }
    const std::optional<uint32_t> headerLength = file.bigEndian(4, "header", error);
    const std::optional<uint32_t> format = headerLength ? file.bigEndian(2, "header", error) : std::nullopt;
    const std::optional<uint32_t> trackCount = format ? file.bigEndian(2, "header", error) : std::nullopt;
    const std::optional<uint32_t> division = trackCount ? file.bigEndian(2, "header", error) : std::nullopt;
    if (!division) {
        return false;
    }
    if (*headerLength < 6) {
        error = "header of " + std::to_string(*headerLength) + " bytes (at least 6 expected)";
        return false;
    }
    if (!file.skip(*headerLength - 6, "header", error)) {
        return false;
    }
    if (*format > 1) {
        error = "MIDI file format " + std::to_string(*format) + " (only formats 0 and 1 are played)";
        return false;
    }
    if (!validDivision(static_cast<uint16_t>(*division), error)) {
        return false;
    }
    std::vector<TickedController> controllers;
    std::vector<TempoChange> tempos;
    std::size_t tracksRead = 0;
    while (tracksRead < *trackCount) {
        const std::optional<uint32_t> chunk = file.bigEndian(4, "track chunk", error);
        const std::optional<uint32_t> length = chunk ? file.bigEndian(4, "track chunk", error) : std::nullopt;
        if (!length) {
            error = "the file ends after " + std::to_string(tracksRead) + " of its " +
                    std::to_string(*trackCount) + " tracks";
            return false;
        }
        const std::size_t start = file.offset();
        const uint8_t* body = file.here();
        if (!file.skip(*length, "track chunk", error)) {
            return false;
        }
        if (*chunk != 0x4D54726Bu) { // not "MTrk": a chunk of another kind, skipped as the format says
            continue;
        }
        Cursor track(body, *length, start);
        TrackReader reader{tracksRead, controllers, tempos, error};
        if (!reader.read(track)) {
            error = "track " + std::to_string(tracksRead + 1) + ": " + error;
            return false;
        }
        ++tracksRead;
    }
    std::stable_sort(controllers.begin(), controllers.end(),
                     [](const TickedController& a, const TickedController& b) {
                         return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
                     });
    const TickClock clock(static_cast<uint16_t>(*division), std::move(tempos));
    out.clear();
    out.reserve(controllers.size());
    for (const TickedController& controller : controllers) {
        TimedController message = controller.message;
        message.seconds = clock.seconds(controller.tick);
        out.push_back(message);
    }
    return true;
}

} // namespace vanto
