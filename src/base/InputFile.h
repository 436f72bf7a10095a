#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/Bytes.h"

namespace kelvo {

// The largest IGC, native flight or waypoint file that is read. A ten-hour flight at one
// fix a second is about 3 MB of IGC text; anything far beyond that is not a flight or a
// waypoint list, and reading it whole would only exhaust the memory.
inline constexpr std::uintmax_t kMaxInputFileSize = std::uintmax_t{64} << 20;

// A file read whole, or why it was not: "error" names the file and, for a file too
// large, the limit. Empty bytes with no error is an empty file.
struct InputFile {
    Bytes bytes;
    std::string error;

    explicit operator bool() const { return error.empty(); }
};

// Every file Kelvo reads from outside passes here. Only a regular file (or a link to one)
// of at most `limit` bytes is read; a folder, a device such as /dev/zero or a pipe is
// refused before it is opened for reading, and a file that grows past the limit while it
// is read is refused too.
InputFile readInputFile(const std::filesystem::path& path,
                        std::uintmax_t limit = kMaxInputFileSize);

}  // namespace kelvo
