#include "FuzzTargets.h"
#include "LoggerAccess/Volkslogger/VolksloggerDatabase.h"

namespace kelvo::fuzz {

// Reads an image as the driver does after a database download, then builds an image of
// what was read, as the driver does when it writes the data back.
int VolksloggerImage(const std::uint8_t* data, std::size_t size) {
    vl::VolksloggerDatabase database;
    database.readImage(ByteSpan(data, size));
    database.buildImage();
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(VolksloggerImage)
