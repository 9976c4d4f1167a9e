// Reading a sound pack's files and keeping every path the pack names inside the pack's folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

enum class FileRead {
    ok,
    unreadable, // missing, no regular file, or it could not be opened, sized or fully read
    tooLarge,   // larger than the caller accepts; nothing of it was read
};

// Reads the whole regular file into `out` when it holds at most `maxBytes`. The size is checked before
// anything is read or allocated, so a hostile file (a huge sparse one, say) costs nothing.
FileRead readFileUpTo(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& out);

// Reads the whole regular file into `out`, whatever its size. False when it cannot be opened, sized or
// fully read, or there is no memory for it.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out);

// `relative` inside `dir`: an empty relative gives dir, an absolute one is returned unchanged, an empty
// dir gives the relative path; otherwise the two joined by exactly one "/".
std::string joinPath(const std::string& dir, const std::string& relative);

// A textual check of a path named by a pack document: false for an empty or absolute path, one with a
// backslash, or one with a ".." segment.
bool pathIsContained(const std::string& relative);

// The check the text alone cannot make: a pack may hold a symbolic link that points elsewhere. False
// when `relative` resolves to a file outside the real location of `dir`. A path that does not resolve
// at all passes, so that the read which follows reports the file as missing.
bool realPathStaysInside(const std::string& dir, const std::string& relative);

} // namespace vanto
