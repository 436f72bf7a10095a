#include "sim/tool/PublishedPort.h"

#include <system_error>

#include "base/Format.h"

namespace kelvo::sim {

namespace fs = std::filesystem;

namespace {

// True when nothing of that name exists, or only a link whose device has gone.
bool isFree(const fs::path& link) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(link, error))) return !fs::exists(link, error);
    return !fs::exists(link, error);  // follows the link
}

}  // namespace

PublishedPort::PublishedPort(const fs::path& folder, const std::string& name,
                             const fs::path& device) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    for (int number = 1;; ++number) {
        const fs::path candidate =
            folder / (number == 1 ? name : stringf("%s %d", name.c_str(), number));
        if (!isFree(candidate)) continue;
        std::error_code error;
        fs::remove(candidate, error);
        fs::create_symlink(device, candidate, error);
        if (!error) {
            m_link = candidate;
            return;
        }
        // Another simulator took the name between the test and the link: try the next.
        if (error != std::errc::file_exists)
            throw fs::filesystem_error("cannot publish port", candidate, error);
    }
}

PublishedPort::~PublishedPort() {
    std::error_code error;
    fs::remove(m_link, error);
}

}  // namespace kelvo::sim
