#include "base/XdgFolders.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

fs::path homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? fs::path(home) : fs::path("/");
}

// An absolute folder from the environment; relative values are invalid by the convention.
fs::path environmentFolder(const char* variable, const fs::path& fallback) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') return fallback;
    return value;
}

}  // namespace

fs::path xdgCacheFolder() {
    return environmentFolder("XDG_CACHE_HOME", homeFolder() / ".cache");
}

fs::path xdgStateFolder() {
    return environmentFolder("XDG_STATE_HOME", homeFolder() / ".local" / "state");
}

fs::path xdgDocumentsFolder() {
    const fs::path config = environmentFolder("XDG_CONFIG_HOME", homeFolder() / ".config");
    std::ifstream dirs(config / "user-dirs.dirs");
    // The line reads XDG_DOCUMENTS_DIR="$HOME/Documents" or names an absolute path.
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
    for (std::string line; std::getline(dirs, line);) {
        if (!line.starts_with(kKey) || !line.ends_with('"')) continue;
        std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
        if (value.starts_with("$HOME/")) return homeFolder() / value.substr(6);
        if (value.starts_with('/')) return value;
    }
    return homeFolder() / "Documents";
}

}  // namespace kelvo
