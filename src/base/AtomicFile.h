#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace kelvo {

// Writes a file so that a crash or a failure never leaves it half-written: the bytes go to
// a unique temporary file in the target folder, which is renamed over the target only when
// everything was written. An earlier file of that name stays untouched until then.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();  // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the temporary file could not be created (stream() then fails every write).
    bool isOpen() const { return m_stream.is_open(); }
    std::ostream& stream() { return m_stream; }

    // Flushes, syncs and renames; false (with a log line) when anything failed, in which
    // case the target is left as it was.
    bool commit();

private:
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    std::ofstream m_stream;
    bool m_committed = false;
};

bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents);
bool writeFileAtomically(const std::filesystem::path& target, ByteSpan contents);

}  // namespace kelvo
