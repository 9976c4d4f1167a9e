#include "banks/zip_fixture.h"

#include "banks/temp_folder.h"

#include <archive.h>
#include <archive_entry.h>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace vanto::fixtures {

namespace {

la_ssize_t appendToVector(archive*, void* context, const void* buffer, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    out->insert(out->end(), bytes, bytes + length);
    return static_cast<la_ssize_t>(length);
}

void check(int status, archive* writer) {
    if (status != ARCHIVE_OK)
        throw std::runtime_error(std::string("zip fixture: ") + archive_error_string(writer));
}

void writeEntry(archive* writer, const ZipEntry& item) {
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname(entry.get(), item.name.c_str());
    switch (item.kind) {
    case ZipEntry::Kind::file:
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.content.size()));
        break;
    case ZipEntry::Kind::directory:
        archive_entry_set_filetype(entry.get(), AE_IFDIR);
        archive_entry_set_perm(entry.get(), 0755);
        break;
    case ZipEntry::Kind::symlink:
        archive_entry_set_filetype(entry.get(), AE_IFLNK);
        archive_entry_set_perm(entry.get(), 0777);
        archive_entry_set_symlink(entry.get(), item.content.c_str());
        break;
    }
    check(archive_write_header(writer, entry.get()), writer);
    if (item.kind == ZipEntry::Kind::file && !item.content.empty() &&
        archive_write_data(writer, item.content.data(), item.content.size()) !=
            static_cast<la_ssize_t>(item.content.size()))
        throw std::runtime_error("zip fixture: short write");
}

} // namespace

std::vector<uint8_t> makeZip(const std::vector<ZipEntry>& entries) {
    std::vector<uint8_t> out;
    std::unique_ptr<archive, int (*)(archive*)> writer(archive_write_new(), archive_write_free);
    check(archive_write_set_format_zip(writer.get()), writer.get());
    check(archive_write_open(writer.get(), &out, nullptr, appendToVector, nullptr), writer.get());
    for (const ZipEntry& entry : entries)
        writeEntry(writer.get(), entry);
    check(archive_write_close(writer.get()), writer.get());
    return out;
}

std::vector<ZipEntry> zipEntriesOfFolder(const std::string& folder, const std::string& prefix) {
    std::vector<ZipEntry> entries;
    if (!prefix.empty())
        entries.push_back({ZipEntry::Kind::directory, prefix, ""});
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        std::string name = prefix + fs::relative(item.path(), folder).string();
        if (item.is_directory()) {
            entries.push_back({ZipEntry::Kind::directory, name + "/", ""});
        } else {
            std::vector<uint8_t> bytes = fileBytes(item.path().string());
            entries.push_back({ZipEntry::Kind::file, name, std::string(bytes.begin(), bytes.end())});
        }
    }
    return entries;
}

} // namespace vanto::fixtures
