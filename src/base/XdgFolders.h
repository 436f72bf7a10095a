#pragma once

#include <filesystem>

namespace kelvo {

// The per-user folders of the XDG base directory and user directory conventions.
// $XDG_CACHE_HOME, else ~/.cache.
std::filesystem::path xdgCacheFolder();
// $XDG_STATE_HOME, else ~/.local/state.
std::filesystem::path xdgStateFolder();
// XDG_DOCUMENTS_DIR of the user-dirs.dirs file in $XDG_CONFIG_HOME (else ~/.config),
// else ~/Documents.
std::filesystem::path xdgDocumentsFolder();

}  // namespace kelvo
