#include <string_view>

#include "FuzzTargets.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "base/Windows1252.h"

namespace kelvo::fuzz {

// The reply text as readInfo takes it: up to its first NUL, from Windows-1252.
int LXIdentificationReply(const std::uint8_t* data, std::size_t size) {
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    reply = reply.substr(0, reply.find('\0'));
    LXLogger::identificationInfo(windows1252ToUtf8(reply));
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXIdentificationReply)
