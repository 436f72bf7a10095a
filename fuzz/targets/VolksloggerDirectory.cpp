#include <vector>

#include "FuzzTargets.h"
#include "LoggerAccess/Volkslogger/VolksloggerDirectory.h"

namespace kelvo::fuzz {

int VolksloggerDirectory(const std::uint8_t* data, std::size_t size) {
    const ByteSpan block(data, size);
    std::vector<vl::DIRENTRY> entries;
    vl::conv_dir(nullptr, block, 1);
    vl::conv_dir(&entries, block, 0);
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(VolksloggerDirectory)
