#pragma once

#include <filesystem>

#include "LoggerAccess/SerialPortDictionary.h"

namespace kelvo {

// The mounted removable volumes a recorder may appear as: volume name (the last component
// of the mount point) to mount point. Read-only media and the root are never listed.
class VolumeDictionary {
  public:
    static PortDictionary volumeDictionary();
    // The same from another mount table and block-device tree (a fake tree in tests).
    static PortDictionary volumeDictionary(const std::filesystem::path& mountTable,
                                           const std::filesystem::path& blockClassRoot);
};

}  // namespace kelvo
