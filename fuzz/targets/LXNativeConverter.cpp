#include <sstream>
#include <string>

#include "FuzzTargets.h"
#include "LoggerAccess/LX/convert_fil2igc.h"

namespace kelvo::fuzz {

int LXNativeConverter(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream output;
    convert_fil2igc(input, output);
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXNativeConverter)
