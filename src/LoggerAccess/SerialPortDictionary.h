#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kelvo {

// Display name to device path, the argument of a driver's connect().
using PortDictionary = std::map<std::string, std::string>;

// The serial ports a recorder may hang on: every tty of the kernel's tty class that sits on
// a real device (USB serial adapters, ACM modems, UARTs that exist), plus the ports that a
// running simulator publishes in the per-user folder (SimulatorPortFolder).
class SerialPortDictionary {
  public:
    static PortDictionary serialPortDictionary();
    // The same over other roots (a fake tree in tests).
    static PortDictionary serialPortDictionary(const std::filesystem::path& ttyClassRoot,
                                               const std::filesystem::path& deviceRoot,
                                               const std::filesystem::path& simulatorPorts);

    // $XDG_RUNTIME_DIR/kelvo/ports, else /tmp/kelvo-<uid>/ports.
    static std::filesystem::path defaultSimulatorPortFolder();

    // The names of the ttys under the class root that sit on a device; empty (with the
    // reason on standard output) when the root cannot be listed.
    static std::vector<std::string> findSerialPorts(const std::filesystem::path& ttyClassRoot);
};

}  // namespace kelvo
