#include "base/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvo {
namespace {

std::string limitText(std::uintmax_t limit) {
    if (limit % (1 << 20) == 0) return std::to_string(limit >> 20) + " MiB";
    return std::to_string(limit) + " bytes";
}

InputFile refusal(const std::filesystem::path& path, const std::string& why) {
    return {{}, path.string() + ": " + why};
}

InputFile tooLarge(const std::filesystem::path& path, std::uintmax_t limit) {
    return refusal(path, "larger than the " + limitText(limit) + " Kelvo reads from a file");
}

// Opening never waits: a pipe that slipped past the check must not block the open.
int openForReading(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

}  // namespace

InputFile readInputFile(const std::filesystem::path& path, std::uintmax_t limit) {
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0) return refusal(path, std::strerror(errno));
    if (!S_ISREG(status.st_mode)) {
        return refusal(path, "not a regular file (a folder, a device or a pipe)");
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) return tooLarge(path, limit);

    const int fd = openForReading(path);
    if (fd < 0) return refusal(path, std::strerror(errno));
    // The file may have been swapped for something else since the check.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refusal(path, "not a regular file (a folder, a device or a pipe)");
    }
    InputFile file;
    file.bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    for (;;) {
        if (filled == file.bytes.size()) {
            if (filled > limit) break;
            file.bytes.resize(filled + 4096);  // the file grew since fstat
        }
        const ssize_t got = ::read(fd, file.bytes.data() + filled, file.bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return refusal(path, std::strerror(error));
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (filled > limit) return tooLarge(path, limit);
    file.bytes.resize(filled);
    return file;
}

}  // namespace kelvo
