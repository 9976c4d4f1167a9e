// A shared library standing in for the plug-in: it answers where it believes the bank fetch helper
// lies, so a test can load it from a folder of its own as a host loads the plug-in.
#include "banks/bank_fetch_helper.h"

#include <cstring>

extern "C" __attribute__((visibility("default"))) void vantoProbeBankFetchHelperPath(char* out, size_t size) {
    std::string path = vanto::bankFetchHelperPath("");
    std::strncpy(out, path.c_str(), size - 1);
    out[size - 1] = '\0';
}
