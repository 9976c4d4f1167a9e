// Zip unpacking through libarchive, inside the bank fetch helper program, with every entry checked
// before anything is written.
#include "banks/zip_unpack.h"

#include "banks/bank_files.h"

#include <archive.h>
#include <archive_entry.h>
#include <filesystem>
#include <memory>

namespace vanto {

namespace {

struct ReaderCleanup {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

struct WriterCleanup {
    void operator()(archive* writer) const { archive_write_free(writer); }
};

using ArchivePtr = std::unique_ptr<archive, ReaderCleanup>;
using DiskWriterPtr = std::unique_ptr<archive, WriterCleanup>;

// Follows the target's segments from the link's own folder; stepping above the archive root escapes.
bool symlinkTargetStaysInside(const std::string& entryName, const std::string& target) {
    if (target.empty() || target.front() == '/' || target.find('\\') != std::string::npos)
        return false;
    long depth = 0;
    auto walk = [&depth](const std::string& path, bool skipLast) {
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = path.find('/', start);
            bool last = end == std::string::npos;
            if (last)
                end = path.size();
            std::string segment = path.substr(start, end - start);
            if (!(last && skipLast)) {
                if (segment == "..")
                    --depth;
                else if (!segment.empty() && segment != ".")
                    ++depth;
                if (depth < 0)
                    return false;
            }
            start = end + 1;
        }
        return true;
    };
    return walk(entryName, true) && walk(target, false);
}

bool entryIsSafe(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    if (name == nullptr || !pathIsContained(name) || archive_entry_hardlink(entry) != nullptr)
        return false;
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
    case AE_IFDIR:
        return true;
    case AE_IFLNK: {
        const char* target = archive_entry_symlink(entry);
        return target != nullptr && symlinkTargetStaysInside(name, target);
    }
    default:
        return false;
    }
}

bool copyEntryData(archive* reader, archive* writer, uint64_t& unpackedBytes, uint64_t maxUnpackedBytes) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return true;
        if (status != ARCHIVE_OK)
            return false;
        unpackedBytes += size;
        if (unpackedBytes > maxUnpackedBytes ||
            archive_write_data_block(writer, block, size, offset) != ARCHIVE_OK)
            return false;
    }
}

// Entry names are made absolute under the destination, whose own path is resolved first so that
// the symbolic-link guard only judges what the archive creates.
bool unpackEntry(archive* reader, archive* writer, archive_entry* entry, const std::string& destination,
                 uint64_t& unpackedBytes, uint64_t maxUnpackedBytes) {
    if (!entryIsSafe(entry))
        return false;
    std::string target = destination + "/" + archive_entry_pathname(entry);
    archive_entry_set_pathname(entry, target.c_str());
    // Archive permissions are not trusted: everything unpacked stays readable and removable.
    if (archive_entry_filetype(entry) == AE_IFDIR)
        archive_entry_set_perm(entry, 0755);
    else if (archive_entry_filetype(entry) == AE_IFREG)
        archive_entry_set_perm(entry, 0644);
    if (archive_write_header(writer, entry) != ARCHIVE_OK)
        return false;
    if (archive_entry_filetype(entry) == AE_IFREG &&
        !copyEntryData(reader, writer, unpackedBytes, maxUnpackedBytes))
        return false;
    return archive_write_finish_entry(writer) == ARCHIVE_OK;
}

} // namespace

// This is the unpacking itself, inside the bank fetch helper program; there is no helper to name or
// stop.
ZipUnpackResult unpackZipArchive(const std::vector<uint8_t>& archiveBytes, const std::string& destination,
                                 uint64_t maxUnpackedBytes, const std::string& /*helperProgram*/,
                                 std::stop_token /*stop*/) {
    std::error_code ec;
    std::string root = std::filesystem::canonical(destination, ec).string();
    if (ec)
        return ZipUnpackResult::extractorUnavailable;
    ArchivePtr reader(archive_read_new());
    DiskWriterPtr writer(archive_write_disk_new());
    if (!reader || !writer || archive_read_support_format_zip(reader.get()) != ARCHIVE_OK ||
        archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                                         ARCHIVE_EXTRACT_SECURE_NODOTDOT) != ARCHIVE_OK)
        return ZipUnpackResult::extractorUnavailable;
    if (archive_read_open_memory(reader.get(), archiveBytes.data(), archiveBytes.size()) != ARCHIVE_OK)
        return ZipUnpackResult::unreadable;
    uint64_t unpackedBytes = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
            return ZipUnpackResult::unreadable;
        if (!unpackEntry(reader.get(), writer.get(), entry, root, unpackedBytes, maxUnpackedBytes))
            return ZipUnpackResult::unreadable;
    }
    return archive_write_close(writer.get()) == ARCHIVE_OK ? ZipUnpackResult::unpacked
                                                           : ZipUnpackResult::unreadable;
}

} // namespace vanto
