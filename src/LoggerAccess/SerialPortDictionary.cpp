#include "LoggerAccess/SerialPortDictionary.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "LoggerAccess/SimulatorPortFolder.h"
#include "base/Format.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

// Virtual terminals, pseudo-terminals and the console have no device behind them.
bool sitsOnDevice(const fs::path& tty) {
    std::error_code error;
    return fs::symlink_status(tty / "device", error).type() != fs::file_type::not_found;
}

// The 8250 driver registers a fixed number of ports whether or not a UART answers; those
// without one report type 0.
bool isPlaceholderUart(const fs::path& tty) {
    std::ifstream typeFile(tty / "type");
    int type = -1;
    return (typeFile >> type) && type == 0;
}

// Calls visit for every entry of a folder; a missing or unreadable folder has none.
template <typename Visit>
std::error_code forEachEntry(const fs::path& folder, Visit visit) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        visit(*it);
    }
    return error;
}

}  // namespace

PortDictionary SerialPortDictionary::serialPortDictionary() {
    return serialPortDictionary("/sys/class/tty", "/dev", defaultSimulatorPortFolder());
}

PortDictionary SerialPortDictionary::serialPortDictionary(const fs::path& ttyClassRoot,
                                                          const fs::path& deviceRoot,
                                                          const fs::path& simulatorPorts) {
    PortDictionary ports;
    for (const std::string& name : findSerialPorts(ttyClassRoot)) {
        ports.emplace(name, (deviceRoot / name).string());
    }
    // A hardware port keeps its entry when a simulator link bears the same name.
    for (const auto& [name, link] : SimulatorPortFolder(simulatorPorts).livePorts()) {
        ports.emplace(name, link.string());
    }
    return ports;
}

fs::path SerialPortDictionary::defaultSimulatorPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return fs::path(runtime) / "kelvo" / "ports";
    return fs::path(stringf("/tmp/kelvo-%u", static_cast<unsigned>(::getuid()))) / "ports";
}

std::vector<std::string> SerialPortDictionary::findSerialPorts(const fs::path& ttyClassRoot) {
    std::vector<std::string> names;
    const std::error_code error = forEachEntry(ttyClassRoot, [&](const fs::directory_entry& entry) {
        if (sitsOnDevice(entry.path()) && !isPlaceholderUart(entry.path())) {
            names.push_back(entry.path().filename().string());
        }
    });
    if (error) {
        std::fputs(stringf("Listing %s returned %d\n", ttyClassRoot.c_str(), error.value()).c_str(),
                   stdout);
        std::fflush(stdout);
        return {};
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kelvo
