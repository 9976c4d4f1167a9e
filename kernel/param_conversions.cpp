#include "param_table.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

double listLast(const vanto_param_desc* desc) {
    return static_cast<double>(desc->listCount - 1);
}

double listIndex(const vanto_param_desc* desc, double normalized) {
    const double last = listLast(desc);
    return std::clamp(std::floor(last * vanto_param_clamp_normalized(normalized) + 0.5), 0.0,
                      std::max(last, 0.0));
}

std::string shortestText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Display texts use '.' whatever locale the host process runs in.
double readLeadingNumber(const char* text, const char** end) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    char* stop = nullptr;
    const double value = strtod_l(text, &stop, cLocale);
    *end = stop;
    return value;
}

} // namespace

double vanto_param_clamp_normalized(double normalized) {
    return std::isnan(normalized) ? 0.0 : std::clamp(normalized, 0.0, 1.0);
}

double vanto_param_to_plain(const vanto_param_desc* desc, double normalized) {
    switch (desc->kind) {
    case VANTO_PARAM_LIST:
        return listIndex(desc, normalized);
    case VANTO_PARAM_TOGGLE:
        return normalized >= 0.5 ? 1.0 : 0.0;
    default: {
        const double clamped = vanto_param_clamp_normalized(normalized);
        double plain = desc->min + clamped * (desc->max - desc->min);
        if (desc->step != 0) {
            plain = desc->step * std::floor(plain / desc->step + 0.5);
        }
        return plain;
    }
    }
}

double vanto_param_normalize(const vanto_param_desc* desc, double plain) {
    if (std::isnan(plain)) {
        return 0.0;
    }
    switch (desc->kind) {
    case VANTO_PARAM_LIST:
        if (desc->listCount < 2) {
            return 0.0;
        }
        return std::clamp(plain, 0.0, listLast(desc)) / listLast(desc);
    case VANTO_PARAM_TOGGLE:
        return plain == 0 ? 0.0 : 1.0;
    default:
        if (desc->max == desc->min) {
            return 0.0;
        }
        return std::clamp((plain - desc->min) / (desc->max - desc->min), 0.0, 1.0);
    }
}

std::string vanto_param_to_text(const vanto_param_desc* desc, double normalized) {
    switch (desc->kind) {
    case VANTO_PARAM_LIST: {
        const double index = listIndex(desc, normalized);
        if (desc->listLabels == nullptr) {
            return shortestText(index);
        }
        if (index >= 0 && index < desc->listCount) {
            const char* label = desc->listLabels[static_cast<int32_t>(index)];
            return label != nullptr ? label : "";
        }
        return "";
    }
    case VANTO_PARAM_TOGGLE:
        return normalized >= 0.5 ? "on" : "off";
    default:
        return shortestText(vanto_param_to_plain(desc, normalized));
    }
}

bool vanto_param_from_text(const vanto_param_desc* desc, const char* text, double* normalized) {
    if (text == nullptr || normalized == nullptr) {
        return false;
    }
    char ascii[256];
    const std::size_t length = strnlen(text, sizeof ascii - 1);
    std::memcpy(ascii, text, length);
    ascii[length] = '\0';

    if (desc->kind == VANTO_PARAM_TOGGLE) {
        if (std::strcmp(ascii, "on") == 0 || std::strcmp(ascii, "true") == 0) {
            *normalized = 1.0;
            return true;
        }
        if (std::strcmp(ascii, "off") == 0 || std::strcmp(ascii, "false") == 0) {
            *normalized = 0.0;
            return true;
        }
    }
    if (desc->kind == VANTO_PARAM_LIST && desc->listLabels != nullptr && desc->listCount >= 1) {
        for (int32_t i = 0; i < desc->listCount; ++i) {
            if (desc->listLabels[i] != nullptr && std::strcmp(desc->listLabels[i], ascii) == 0) {
                *normalized = desc->listCount == 1
                                  ? 0.0
                                  : static_cast<double>(std::min(i, desc->listCount - 1)) / listLast(desc);
                return true;
            }
        }
    }

    const char* end = nullptr;
    const double number = readLeadingNumber(ascii, &end);
    // "nan" would read as a number but names no value a parameter can take.
    if (end == ascii || std::isnan(number)) {
        return false;
    }
    if (desc->kind == VANTO_PARAM_TOGGLE) {
        *normalized = number != 0 ? 1.0 : 0.0;
    } else {
        *normalized = vanto_param_normalize(desc, number);
    }
    return true;
}
