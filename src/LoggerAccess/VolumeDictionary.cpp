#include "LoggerAccess/VolumeDictionary.h"

#include <sys/statvfs.h>

#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "base/Text.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

struct Mount {
    std::string device;
    std::string mountPoint;
    std::string options;
};

// The mount table writes blanks, tabs, newlines and backslashes in names as \ooo.
std::string decodeMountField(std::string_view field) {
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](std::size_t at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(i + 1) && isOctal(i + 2) &&
            isOctal(i + 3)) {
            decoded += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                         (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::vector<Mount> readMountTable(const fs::path& mountTable) {
    std::vector<Mount> mounts;
    std::ifstream file(mountTable);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type, options;
        if (fields >> device >> mountPoint >> type >> options) {
            mounts.push_back({decodeMountField(device), decodeMountField(mountPoint), options});
        }
    }
    return mounts;
}

bool readsOne(const fs::path& flagFile) {
    std::ifstream file(flagFile);
    int flag = 0;
    return (file >> flag) && flag == 1;
}

// A block device the kernel marks removable (the disk, for a partition) or one that sits
// on a USB bus, as card readers and recorders presenting themselves as disks do.
bool isRemovableBlockDevice(const std::string& device, const fs::path& blockClassRoot) {
    if (device.empty() || device.front() != '/') return false;  // proc, tmpfs, ...
    std::error_code error;
    const fs::path node = fs::canonical(device, error);
    const std::string name = (error ? fs::path(device) : node).filename().string();
    const fs::path sysfsDevice = fs::canonical(blockClassRoot / name, error);
    if (error) return false;
    return readsOne(sysfsDevice / "removable") ||
           readsOne(sysfsDevice.parent_path() / "removable") ||
           sysfsDevice.string().find("/usb") != std::string::npos;
}

bool isWritable(const Mount& mount) {
    for (const std::string& option : splitAt(mount.options, ',')) {
        if (option == "ro") return false;
    }
    struct statvfs info {};
    return ::statvfs(mount.mountPoint.c_str(), &info) == 0 && !(info.f_flag & ST_RDONLY);
}

}  // namespace

PortDictionary VolumeDictionary::volumeDictionary() {
    return volumeDictionary("/proc/self/mounts", "/sys/class/block");
}

PortDictionary VolumeDictionary::volumeDictionary(const fs::path& mountTable,
                                                  const fs::path& blockClassRoot) {
    PortDictionary volumes;
    for (const Mount& mount : readMountTable(mountTable)) {
        if (mount.mountPoint.size() > 1 && isRemovableBlockDevice(mount.device, blockClassRoot) &&
            isWritable(mount)) {
            volumes.emplace(fs::path(mount.mountPoint).filename().string(), mount.mountPoint);
        }
    }
    return volumes;
}

}  // namespace kelvo
