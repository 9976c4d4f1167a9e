// A copy of a text that ends exactly at the end of a readable page, followed by an inaccessible
// guard page and without a terminator: a parser that reads past the range it was given crashes the
// test, whether the stray read comes from our code or from the C library.
#pragma once

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace vanto::test {

class ExactBuffer {
  public:
    explicit ExactBuffer(std::string_view text) : size_(text.size()) {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t dataPages = (text.size() + page - 1) / page + 1;
        mappingSize_ = (dataPages + 1) * page;
        void* mapping =
            mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED) {
            throw std::runtime_error("cannot map a guarded test buffer");
        }
        mapping_ = static_cast<char*>(mapping);
        char* guard = mapping_ + dataPages * page;
        if (mprotect(guard, page, PROT_NONE) != 0) {
            munmap(mapping_, mappingSize_);
            throw std::runtime_error("cannot protect the guard page of a test buffer");
        }
        bytes_ = guard - size_;
        if (size_ > 0) {
            std::memcpy(bytes_, text.data(), size_);
        }
    }
    ~ExactBuffer() { munmap(mapping_, mappingSize_); }
    ExactBuffer(const ExactBuffer&) = delete;
    ExactBuffer& operator=(const ExactBuffer&) = delete;

    const char* begin() const { return bytes_; }
    const char* end() const { return bytes_ + size_; }
    std::size_t size() const { return size_; }

  private:
    std::size_t size_;
    std::size_t mappingSize_ = 0;
    char* mapping_ = nullptr;
    char* bytes_ = nullptr;
};

} // namespace vanto::test
