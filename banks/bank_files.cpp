#include "banks/bank_files.h"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>

namespace vanto {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

FileRead readFileUpTo(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& out) {
    out.clear();
    std::error_code ec;
    // A directory opens for reading on some systems and then reports a nonsense size.
    if (!std::filesystem::is_regular_file(path, ec))
        return FileRead::unreadable;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return FileRead::unreadable;
    long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return FileRead::unreadable;
    if (static_cast<uint64_t>(size) > maxBytes)
        return FileRead::tooLarge;
    try {
        out.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return FileRead::unreadable;
    }
    if (size > 0 && std::fread(out.data(), 1, out.size(), file.get()) != out.size()) {
        out.clear();
        return FileRead::unreadable;
    }
    return FileRead::ok;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    return readFileUpTo(path, std::numeric_limits<uint64_t>::max(), out) == FileRead::ok;
}

std::string joinPath(const std::string& dir, const std::string& relative) {
    if (relative.empty())
        return dir;
    if (relative.front() == '/' || dir.empty())
        return relative;
    if (dir.back() == '/')
        return dir + relative;
    return dir + "/" + relative;
}

bool pathIsContained(const std::string& relative) {
    if (relative.empty() || relative.front() == '/' || relative.find('\\') != std::string::npos)
        return false;
    size_t segmentStart = 0;
    while (segmentStart <= relative.size()) {
        size_t segmentEnd = relative.find('/', segmentStart);
        if (segmentEnd == std::string::npos)
            segmentEnd = relative.size();
        if (relative.compare(segmentStart, segmentEnd - segmentStart, "..") == 0)
            return false;
        segmentStart = segmentEnd + 1;
    }
    return true;
}

bool realPathStaysInside(const std::string& dir, const std::string& relative) {
    std::error_code ec;
    std::filesystem::path realFile = std::filesystem::canonical(joinPath(dir, relative), ec);
    if (ec)
        return true;
    std::filesystem::path realDir = std::filesystem::canonical(dir, ec);
    if (ec)
        return false;
    auto fileParts = realFile.begin();
    for (const auto& dirPart : realDir) {
        if (fileParts == realFile.end() || *fileParts != dirPart)
            return false;
        ++fileParts;
    }
    return fileParts != realFile.end();
}

} // namespace vanto
