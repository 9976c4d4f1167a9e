#include "diagnostics/signal_meters_json.h"

#include "encoding/json_reader.h"
#include "encoding/json_writer.h"

#include <cmath>

namespace vanto {

namespace {

// Integers up to 2^53 read back exactly from JSON numbers.
constexpr double kLargestExactInteger = 9007199254740992.0;

// Meter values carry 2 decimals (dB) or 6 significant digits (levels): finer steps show on no meter,
// and the shortest text of the rounded value is short. Dividing an integer by a power of ten gives the
// double nearest the decimal, whose shortest text is that decimal.
double roundedDb(float value) {
    return std::round(static_cast<double>(value) * 100) / 100 + 0.0;
}

double roundedLevel(float value) {
    const double x = value;
    if (x == 0 || !std::isfinite(x)) {
        return 0.0;
    }
    const int digitsBelowPoint = 5 - static_cast<int>(std::floor(std::log10(std::fabs(x))));
    if (digitsBelowPoint <= 0) {
        return std::round(x);
    }
    const double scale = std::pow(10.0, digitsBelowPoint);
    return std::round(x * scale) / scale;
}

void appendKey(std::string& out, const char* key) {
    jsonAppendQuoted(out, key);
    out += ':';
}

void appendPair(std::string& out, const float values[2], double (*round)(float)) {
    out += '[';
    jsonAppendNumber(out, round(values[0]));
    out += ',';
    jsonAppendNumber(out, round(values[1]));
    out += ']';
}

void appendLevels(std::string& out, const char* key, const float peak[2], const float meanSquare[2]) {
    appendKey(out, key);
    out += "{\"peak\":";
    appendPair(out, peak, roundedLevel);
    out += ",\"meanSquare\":";
    appendPair(out, meanSquare, roundedLevel);
    out += '}';
}

void writeRecordJson(std::string& out, const SignalMeterRecord& record) {
    out += "{\"at\":";
    jsonAppendNumber(out, static_cast<double>(record.atFrame));
    out += ",\"frames\":";
    jsonAppendNumber(out, record.frames);
    out += ",\"lanes\":[";
    for (int lane = 0; lane < kMeterLanes; ++lane) {
        out += lane == 0 ? "{\"duckDb\":" : ",{\"duckDb\":";
        jsonAppendNumber(out, roundedDb(record.laneDuckDb[lane]));
        out += ",\"hit\":";
        if (record.hit(lane)) {
            jsonAppendNumber(out, record.hitOffset[lane]);
        } else {
            out += "null";
        }
        out += '}';
    }
    out += "],\"lowBandGainDb\":";
    jsonAppendNumber(out, roundedDb(record.lowBandGainDb));
    out += ",\"glueReductionDb\":";
    jsonAppendNumber(out, roundedDb(record.glueReductionDb));
    out += ",\"bells\":[";
    for (int bell = 0; bell < kMeterBells; ++bell) {
        out += bell == 0 ? "{\"on\":" : ",{\"on\":";
        out += record.bellOn(bell) ? "true" : "false";
        out += ",\"hz\":";
        jsonAppendNumber(out, roundedLevel(record.bellHz[bell]));
        out += ",\"gainDb\":";
        jsonAppendNumber(out, roundedDb(record.bellGainDb[bell]));
        out += '}';
    }
    out += "],";
    appendLevels(out, "input", record.inputPeak, record.inputMeanSquare);
    out += ',';
    appendLevels(out, "output", record.outputPeak, record.outputMeanSquare);
    out += '}';
}

void writeRecordsJson(std::string& out, const SignalMeterRecord* records, std::size_t count) {
    out += "\"records\":[";
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += ',';
        }
        writeRecordJson(out, records[i]);
    }
    out += ']';
}

bool readFinite(Reader& reader, float& out) {
    double value = 0;
    if (!parseNumber(reader, &value) || !std::isfinite(value)) {
        return false;
    }
    out = static_cast<float>(value);
    return std::isfinite(out);
}

bool readWhole(Reader& reader, double largest, double& out) {
    return parseNumber(reader, &out) && out >= 0 && out <= largest && std::floor(out) == out;
}

bool readCount(Reader& reader, uint32_t& out) {
    double value = 0;
    if (!readWhole(reader, 4294967295.0, value)) {
        return false;
    }
    out = static_cast<uint32_t>(value);
    return true;
}

// An array of exactly `count` elements, each read by `readElement(index)`.
template <class ReadElement> bool readFixedArray(Reader& reader, int count, ReadElement&& readElement) {
    int index = 0;
    return parseArrayElements(reader, [&] { return index < count && readElement(index++); }) &&
           index == count;
}

bool readPair(Reader& reader, float values[2]) {
    return readFixedArray(reader, 2, [&](int i) { return readFinite(reader, values[i]); });
}

bool readLevels(Reader& reader, float peak[2], float meanSquare[2]) {
    std::string key;
    return parseObjectMembers(reader, &key, [&] {
        if (key == "peak") {
            return readPair(reader, peak);
        }
        if (key == "meanSquare") {
            return readPair(reader, meanSquare);
        }
        return skipValue(reader, 3);
    });
}

bool readLane(Reader& reader, SignalMeterRecord& record, int lane) {
    std::string key;
    return parseObjectMembers(reader, &key, [&] {
        if (key == "duckDb") {
            return readFinite(reader, record.laneDuckDb[lane]);
        }
        if (key == "hit") {
            if (parseLiteral(reader, "null")) {
                record.hitLanes &= ~(1u << lane);
                return true;
            }
            record.hitLanes |= 1u << lane;
            return readCount(reader, record.hitOffset[lane]);
        }
        return skipValue(reader, 3);
    });
}

bool readBell(Reader& reader, SignalMeterRecord& record, int bell) {
    std::string key;
    return parseObjectMembers(reader, &key, [&] {
        if (key == "on") {
            const bool on = parseLiteral(reader, "true");
            if (!on && !parseLiteral(reader, "false")) {
                return false;
            }
            record.activeBells = on ? record.activeBells | (1u << bell) : record.activeBells & ~(1u << bell);
            return true;
        }
        if (key == "hz") {
            return readFinite(reader, record.bellHz[bell]);
        }
        if (key == "gainDb") {
            return readFinite(reader, record.bellGainDb[bell]);
        }
        return skipValue(reader, 3);
    });
}

bool readRecord(Reader& reader, SignalMeterRecord& record) {
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        if (key == "at") {
            double at = 0;
            if (!readWhole(reader, kLargestExactInteger, at)) {
                return false;
            }
            record.atFrame = static_cast<uint64_t>(at);
            return true;
        }
        if (key == "frames") {
            return readCount(reader, record.frames);
        }
        if (key == "lanes") {
            return readFixedArray(reader, kMeterLanes,
                                  [&](int lane) { return readLane(reader, record, lane); });
        }
        if (key == "lowBandGainDb") {
            return readFinite(reader, record.lowBandGainDb);
        }
        if (key == "glueReductionDb") {
            return readFinite(reader, record.glueReductionDb);
        }
        if (key == "bells") {
            return readFixedArray(reader, kMeterBells,
                                  [&](int bell) { return readBell(reader, record, bell); });
        }
        if (key == "input") {
            return readLevels(reader, record.inputPeak, record.inputMeanSquare);
        }
        if (key == "output") {
            return readLevels(reader, record.outputPeak, record.outputMeanSquare);
        }
        return skipValue(reader, 2);
    });
    if (!read) {
        return false;
    }
    // A hit lies inside the span it is reported for.
    for (int lane = 0; lane < kMeterLanes; ++lane) {
        if (record.hit(lane) && record.hitOffset[lane] >= record.frames) {
            return false;
        }
    }
    return true;
}

} // namespace

void writeSignalMetersJson(std::string& out, const SignalMeterRecord* records, std::size_t count,
                           uint32_t dropped) {
    out += "{\"v\":1,\"dropped\":";
    jsonAppendNumber(out, dropped);
    out += ',';
    writeRecordsJson(out, records, count);
    out += '}';
}

void writeMetersFrameJson(std::string& out, const SignalMeterRecord* records, std::size_t count,
                          uint32_t dropped) {
    out += "{\"type\":\"vanto.meters\",\"v\":1,\"frameRate\":";
    jsonAppendNumber(out, kMeterFrameRate);
    out += ",\"dropped\":";
    jsonAppendNumber(out, dropped);
    out += ',';
    writeRecordsJson(out, records, count);
    out += '}';
}

bool parseSignalMetersJson(const char* bytes, std::size_t size, std::vector<SignalMeterRecord>& records,
                           uint32_t& dropped) {
    if (bytes == nullptr || size == 0 || size > kMaxSignalPayloadBytes) {
        return false;
    }
    records.clear();
    dropped = 0;
    double version = 0;
    bool hasRecords = false;
    Reader reader = makeReader(std::string_view(bytes, size));
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        if (key == "v") {
            return parseNumber(reader, &version);
        }
        if (key == "dropped") {
            return readCount(reader, dropped);
        }
        if (key == "records") {
            hasRecords = true;
            return parseArrayElements(reader, [&] {
                if (records.size() >= kMaxSignalRecordsPerPayload) {
                    return false;
                }
                records.emplace_back();
                return readRecord(reader, records.back());
            });
        }
        return skipValue(reader, 1);
    });
    return read && atEndOfInput(reader) && version == 1 && hasRecords;
}

} // namespace vanto
