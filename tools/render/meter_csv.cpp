#include "meter_csv.h"

#include <cstdio>

namespace vanto {

namespace {

constexpr const char* kLaneNames[kMeterLanes] = {"kick", "clap", "perc", "sustain"};

void appendNumber(std::string& out, double value) {
    char text[40];
    std::snprintf(text, sizeof text, ",%.7g", value);
    out += text;
}

std::string header() {
    std::string line = "time_s,frames";
    for (const char* lane : kLaneNames) {
        line += std::string(",") + lane + "_duck_db," + lane + "_hit_s";
    }
    line += ",low_band_gain_db,glue_reduction_db";
    for (int bell = 0; bell < kMeterBells; ++bell) {
        std::string name = ",bell";
        name += std::to_string(bell);
        line += name + "_on" + name + "_hz" + name + "_gain_db";
    }
    line += ",in_l_peak,in_r_peak,in_l_mean_square,in_r_mean_square";
    line += ",out_l_peak,out_r_peak,out_l_mean_square,out_r_mean_square\n";
    return line;
}

} // namespace

std::string meterCsv(const std::vector<SignalMeterRecord>& records) {
    std::string out = header();
    for (const SignalMeterRecord& record : records) {
        const double start = static_cast<double>(record.atFrame) / kMeterFrameRate;
        char time[40];
        std::snprintf(time, sizeof time, "%.6f", start);
        out += time;
        out += ',';
        out += std::to_string(record.frames);
        for (int lane = 0; lane < kMeterLanes; ++lane) {
            appendNumber(out, record.laneDuckDb[lane]);
            out += ',';
            if (record.hit(lane)) {
                std::snprintf(time, sizeof time, "%.6f", start + record.hitOffset[lane] / kMeterFrameRate);
                out += time;
            }
        }
        appendNumber(out, record.lowBandGainDb);
        appendNumber(out, record.glueReductionDb);
        for (int bell = 0; bell < kMeterBells; ++bell) {
            out += record.bellOn(bell) ? ",1" : ",0";
            appendNumber(out, record.bellHz[bell]);
            appendNumber(out, record.bellGainDb[bell]);
        }
        for (const float* values :
             {record.inputPeak, record.inputMeanSquare, record.outputPeak, record.outputMeanSquare}) {
            appendNumber(out, values[0]);
            appendNumber(out, values[1]);
        }
        out += '\n';
    }
    return out;
}

} // namespace vanto
