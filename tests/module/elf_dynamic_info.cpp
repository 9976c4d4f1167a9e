#include "elf_dynamic_info.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace vanto::test {

namespace {

class ElfImage {
  public:
    explicit ElfImage(std::vector<char> bytes) : bytes(std::move(bytes)) {}

    template <typename Record> std::optional<Record> recordAt(std::uint64_t offset) const {
        if (offset > bytes.size() || bytes.size() - offset < sizeof(Record))
            return std::nullopt;
        Record record;
        std::memcpy(&record, bytes.data() + offset, sizeof(Record));
        return record;
    }

    // The zero-terminated string at offset inside the string table section, if it ends inside it.
    std::optional<std::string> stringAt(const Elf64_Shdr& table, std::uint64_t offset) const {
        if (table.sh_offset > bytes.size() || table.sh_size > bytes.size() - table.sh_offset ||
            offset >= table.sh_size)
            return std::nullopt;
        const char* first = bytes.data() + table.sh_offset + offset;
        const std::size_t room = table.sh_size - offset;
        const std::size_t length = strnlen(first, room);
        if (length == room)
            return std::nullopt;
        return std::string(first, length);
    }

    bool isElf64() const {
        return bytes.size() >= EI_NIDENT && std::memcmp(bytes.data(), ELFMAG, SELFMAG) == 0 &&
               bytes[EI_CLASS] == ELFCLASS64;
    }

  private:
    std::vector<char> bytes;
};

std::optional<std::vector<Elf64_Shdr>> sectionHeaders(const ElfImage& image) {
    const auto header = image.recordAt<Elf64_Ehdr>(0);
    if (!header || header->e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    std::vector<Elf64_Shdr> sections;
    for (std::uint64_t index = 0; index < header->e_shnum; ++index) {
        const auto section = image.recordAt<Elf64_Shdr>(header->e_shoff + index * sizeof(Elf64_Shdr));
        if (!section)
            return std::nullopt;
        sections.push_back(*section);
    }
    return sections;
}

bool readDefinedSymbols(const ElfImage& image, const std::vector<Elf64_Shdr>& sections,
                        const Elf64_Shdr& symbols, std::set<std::string>& names) {
    if (symbols.sh_link >= sections.size())
        return false;
    const Elf64_Shdr& strings = sections[symbols.sh_link];
    for (std::uint64_t offset = 0; offset + sizeof(Elf64_Sym) <= symbols.sh_size;
         offset += sizeof(Elf64_Sym)) {
        const auto symbol = image.recordAt<Elf64_Sym>(symbols.sh_offset + offset);
        if (!symbol)
            return false;
        const unsigned binding = ELF64_ST_BIND(symbol->st_info);
        if (symbol->st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK))
            continue;
        const auto name = image.stringAt(strings, symbol->st_name);
        if (!name)
            return false;
        names.insert(*name);
    }
    return true;
}

bool readNeededLibraries(const ElfImage& image, const std::vector<Elf64_Shdr>& sections,
                         const Elf64_Shdr& dynamic, std::set<std::string>& names) {
    if (dynamic.sh_link >= sections.size())
        return false;
    const Elf64_Shdr& strings = sections[dynamic.sh_link];
    for (std::uint64_t offset = 0; offset + sizeof(Elf64_Dyn) <= dynamic.sh_size;
         offset += sizeof(Elf64_Dyn)) {
        const auto entry = image.recordAt<Elf64_Dyn>(dynamic.sh_offset + offset);
        if (!entry)
            return false;
        if (entry->d_tag == DT_NULL)
            break;
        if (entry->d_tag != DT_NEEDED)
            continue;
        const auto name = image.stringAt(strings, entry->d_un.d_val);
        if (!name)
            return false;
        names.insert(*name);
    }
    return true;
}

} // namespace

std::optional<ElfDynamicInfo> readElfDynamicInfo(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const ElfImage image(std::vector<char>(std::istreambuf_iterator<char>(file), {}));
    if (!image.isElf64())
        return std::nullopt;
    const auto sections = sectionHeaders(image);
    if (!sections)
        return std::nullopt;
    ElfDynamicInfo info;
    for (const Elf64_Shdr& section : *sections) {
        const bool read = section.sh_type == SHT_DYNSYM
                              ? readDefinedSymbols(image, *sections, section, info.definedSymbols)
                          : section.sh_type == SHT_DYNAMIC
                              ? readNeededLibraries(image, *sections, section, info.neededLibraries)
                              : true;
        if (!read)
            return std::nullopt;
    }
    return info;
}

} // namespace vanto::test
