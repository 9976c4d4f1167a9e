// A heap copy of a text with no byte after its end (no terminator), so that AddressSanitizer reports
// any parser that reads past the range it was given.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

namespace vanto::test {

class ExactBuffer {
  public:
    explicit ExactBuffer(std::string_view text) : bytes_(new char[text.size()]), size_(text.size()) {
        if (size_ > 0) {
            std::memcpy(bytes_.get(), text.data(), size_);
        }
    }
    const char* begin() const { return bytes_.get(); }
    const char* end() const { return bytes_.get() + size_; }
    std::size_t size() const { return size_; }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

} // namespace vanto::test
