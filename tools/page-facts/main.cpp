// dovrel-page-facts: writes the editor page's module of kernel facts, kernel-facts.js, from the kernel's
// own tables: the 34 parameter rows (paths, titles, groups, ranges, steps, defaults, units) and the
// timing constants the page's groove picture computes with. The page never carries a hand-made copy
// of either, so it cannot drift from the effect it edits.
#include "kernel_constants.h"
#include "param_table.h"
#include "recovery_curve.h"
#include "test_pulse.h"

#include "encoding/json_writer.h"

#include <cstdio>
#include <string>

namespace {

using vanto::jsonAppendNumber;
using vanto::jsonAppendQuoted;

void appendKey(std::string& out, const char* key) {
    jsonAppendQuoted(out, key);
    out += ':';
}

void appendNumberMember(std::string& out, const char* key, double value) {
    appendKey(out, key);
    jsonAppendNumber(out, value);
}

void appendTextMember(std::string& out, const char* key, const char* value) {
    appendKey(out, key);
    jsonAppendQuoted(out, value != nullptr ? value : "");
}

// Single-precision tables are written as the doubles the kernel actually computes with.
template <typename T, std::size_t N>
void appendArrayMember(std::string& out, const char* key, const T (&values)[N]) {
    appendKey(out, key);
    out += '[';
    for (std::size_t i = 0; i < N; ++i) {
        out += i == 0 ? "" : ",";
        jsonAppendNumber(out, static_cast<double>(values[i]));
    }
    out += ']';
}

void appendParamRow(std::string& out, const vanto_param_desc& row) {
    out += "  {";
    appendNumberMember(out, "id", row.id);
    out += ',';
    appendTextMember(out, "path", row.path);
    out += ',';
    appendTextMember(out, "title", row.title);
    out += ',';
    appendTextMember(out, "group", row.group);
    out += ',';
    appendNumberMember(out, "kind", row.kind);
    out += ',';
    appendNumberMember(out, "min", row.min);
    out += ',';
    appendNumberMember(out, "max", row.max);
    out += ',';
    appendNumberMember(out, "step", row.step);
    out += ',';
    appendNumberMember(out, "defaultPlain", row.defaultPlain);
    out += ',';
    appendNumberMember(out, "defaultNormalized", row.defaultNormalized);
    out += ',';
    appendTextMember(out, "units", row.units);
    out += '}';
}

std::string pageFactsModule() {
    std::string out =
        "// Written at build time by dovrel-page-facts from the kernel's tables. Do not edit.\n";
    out += "export const PARAMS = Object.freeze([\n";
    for (std::size_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        appendParamRow(out, VANTO_PARAMS[id]);
        out += id + 1 < VANTO_PARAM_COUNT ? ",\n" : "\n";
    }
    out += "]);\n\nexport const TIMING = Object.freeze({";
    appendNumberMember(out, "sampleRate", vanto::SAMPLE_RATE);
    out += ',';
    appendNumberMember(out, "beatsPerBar", vanto::BEATS_PER_BAR);
    out += ',';
    appendNumberMember(out, "bpmMin", vanto::BPM_MIN);
    out += ',';
    appendNumberMember(out, "bpmMax", vanto::BPM_MAX);
    out += ',';
    appendArrayMember(out, "divisionBeats", vanto::DIVISION_BEATS);
    out += ',';
    appendArrayMember(out, "feelRelease", vanto::FEEL_RELEASE);
    out += ',';
    appendArrayMember(out, "feelHold", vanto::FEEL_HOLD);
    out += ',';
    appendArrayMember(out, "feelShape", vanto::FEEL_SHAPE);
    out += ',';
    appendArrayMember(out, "recoveryShapes", vanto::RECOVERY_SHAPES);
    out += ',';
    appendNumberMember(out, "recoveryTableSize", vanto::RECOVERY_TABLE_SIZE);
    out += ',';
    appendNumberMember(out, "minReleaseSeconds", vanto::MIN_RELEASE_SECONDS);
    out += ',';
    appendNumberMember(out, "maxReleaseSeconds", vanto::MAX_RELEASE_SECONDS);
    out += ',';
    appendNumberMember(out, "retriggerFraction", vanto::RETRIGGER_FRACTION);
    out += ',';
    appendNumberMember(out, "adaptRatioMin", vanto::ADAPT_RATIO_MIN);
    out += ',';
    appendNumberMember(out, "adaptRatioMax", vanto::ADAPT_RATIO_MAX);
    out += ',';
    appendNumberMember(out, "onsetHistory", vanto::ONSET_HISTORY);
    out += ',';
    appendNumberMember(out, "smoothSeconds", vanto::SMOOTH_SECONDS);
    out += ',';
    appendNumberMember(out, "spaceKneeDb", vanto::SPACE_KNEE_DB);
    out += "});\n";
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dovrel-page-facts OUTPUT.js\n");
        return 2;
    }
    const std::string module = pageFactsModule();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(module.data(), 1, module.size(), file) == module.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "dovrel-page-facts: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
