#include "banks/scratch_file.h"

#include "banks/write_whole_file.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace vanto {

ScratchFile::ScratchFile(const std::string& folder, const std::string& prefix) {
    std::string name = folder + "/" + prefix + "XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    ::close(fd);
    path_ = name;
}

ScratchFile::~ScratchFile() {
    if (created())
        unlink(path_.c_str());
}

bool ScratchFile::write(const std::vector<uint8_t>& bytes) const {
    return created() && writeWholeFile(path_, bytes);
}

} // namespace vanto
