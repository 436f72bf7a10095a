#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/Log.h"

namespace kelvo {
namespace {

// The folder of the target, "." for a bare file name.
std::filesystem::path folderOf(const std::filesystem::path& target) {
    const auto parent = target.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

bool syncFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : m_target(std::move(target)) {
    std::string pattern =
        (folderOf(m_target) / ("." + m_target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        logf("Cannot create a temporary file for %s: %s", m_target.c_str(), std::strerror(errno));
        return;
    }
    ::close(fd);
    m_temporary = pattern;
    m_stream.open(m_temporary, std::ios::binary | std::ios::trunc);
}

AtomicFile::~AtomicFile() {
    if (!m_committed) discard();
}

void AtomicFile::discard() {
    if (m_stream.is_open()) m_stream.close();
    if (!m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        m_temporary.clear();
    }
}

bool AtomicFile::commit() {
    if (m_committed || !m_stream.is_open()) return false;
    m_stream.flush();
    const bool written = m_stream.good();
    m_stream.close();
    if (!written || !syncFile(m_temporary)) {
        logf("Cannot write %s", m_target.c_str());
        discard();
        return false;
    }
    // mkstemp creates the file readable by its owner only; a saved flight or waypoint file
    // gets the ordinary mode of a user's document.
    ::chmod(m_temporary.c_str(), 0644);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        logf("Cannot rename %s to %s: %s", m_temporary.c_str(), m_target.c_str(),
             std::strerror(errno));
        discard();
        return false;
    }
    m_committed = true;
    return true;
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view contents) {
    AtomicFile file(target);
    file.stream().write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return file.commit();
}

bool writeFileAtomically(const std::filesystem::path& target, ByteSpan contents) {
    return writeFileAtomically(
        target, std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()));
}

}  // namespace kelvo
