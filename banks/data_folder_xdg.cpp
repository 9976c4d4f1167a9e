// Linux and other freedesktop systems: $XDG_DATA_HOME, else ~/.local/share.
#include "banks/user_data_folder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace vanto {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return std::string();
    return found->pw_dir;
}

} // namespace

std::string userDataFolder() {
    // The base directory rules ignore a relative XDG_DATA_HOME.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
        return dataHome;
    std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.local/share";
}

} // namespace vanto
