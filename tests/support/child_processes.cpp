#include "support/child_processes.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace vanto::test {

namespace {

// The kernel keeps at most this much of a program's name.
constexpr std::size_t kCommandNameLength = 15;

// "pid (name) state ppid ...": the name may hold spaces and parentheses, so it ends at the last ')'.
bool readStat(const std::filesystem::path& statFile, std::string& name, long& parent) {
    std::ifstream in(statFile);
    std::string line;
    if (!std::getline(in, line))
        return false;
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    return static_cast<bool>(rest >> state >> parent);
}

} // namespace

std::vector<std::string> childProcessNames() {
    std::vector<std::string> names;
    const long self = static_cast<long>(getpid());
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name;
        long parent = 0;
        if (readStat(it->path() / "stat", name, parent) && parent == self)
            names.push_back(name);
    }
    return names;
}

bool waitForChildProcess(const std::string& name, double seconds) {
    const std::string wanted = name.substr(0, kCommandNameLength);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& child : childProcessNames()) {
            if (child == wanted)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

} // namespace vanto::test

namespace vanto::test {

namespace {

struct StatLine {
    std::string name;
    char state = 0;
    long parent = 0;
};

bool readStatLine(long pid, StatLine& out) {
    std::ifstream in(std::string("/proc/").append(std::to_string(pid)).append("/stat"));
    std::string line;
    if (!std::getline(in, line))
        return false;
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    out.name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    return static_cast<bool>(rest >> out.state >> out.parent);
}

} // namespace

std::vector<ProcessEntry> descendantProcesses(long root) {
    std::vector<std::pair<long, StatLine>> all;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        StatLine stat;
        if (readStatLine(std::stol(name), stat) && stat.state != 'Z')
            all.emplace_back(std::stol(name), stat);
    }
    std::vector<ProcessEntry> found;
    std::vector<long> parents = {root};
    while (!parents.empty()) {
        const long parent = parents.back();
        parents.pop_back();
        for (const auto& [pid, stat] : all) {
            if (stat.parent == parent) {
                found.push_back({pid, stat.name});
                parents.push_back(pid);
            }
        }
    }
    return found;
}

bool processRunning(long pid) {
    StatLine stat;
    return readStatLine(pid, stat) && stat.state != 'Z';
}

} // namespace vanto::test
