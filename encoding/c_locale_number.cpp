#include "encoding/c_locale_number.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#if __has_include(<xlocale.h>)
#include <xlocale.h> // where strtod_l and newlocale live on Apple platforms
#endif

namespace vanto {

namespace {

// Created once and never freed: the locale object lives as long as the process.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

} // namespace

double strtodCLocale(const char* text, char** stop) {
    const locale_t locale = cLocale();
    if (locale == static_cast<locale_t>(0)) {
        // Without a "C" locale object there is no locale-independent conversion; converting nothing
        // refuses the number instead of misreading it.
        *stop = const_cast<char*>(text);
        return 0.0;
    }
    return strtod_l(text, stop, locale);
}

} // namespace vanto
