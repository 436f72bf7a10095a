#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kelvo {

// One port a recorder may hang on, under the name the port list shows.
struct PortEntry {
    std::string path;  // what a driver's connect() takes
    // The same port however the adapters were plugged in: the /dev/serial/by-id name of a
    // USB adapter, the remote address of a Bluetooth port; else the path.
    std::string identity;
    std::string description;  // what the adapter calls itself ("FT232R USB UART"), if anything
    std::string problem;      // why this user may not open it ("join the group dialout")

    PortEntry() = default;
    PortEntry(std::string devicePath) : path(devicePath), identity(std::move(devicePath)) {}
    PortEntry(const char* devicePath) : PortEntry(std::string(devicePath)) {}
    bool operator==(const PortEntry&) const = default;
};

// Display name ("FT232R USB UART - ttyUSB0", "rfcomm0", "Simulated LX") to the port.
using PortDictionary = std::map<std::string, PortEntry>;

// Who opens the ports: a port is listed with a problem when its mode lets this user not
// read and write it.
struct PortUser {
    uid_t uid = 0;
    std::vector<gid_t> groups;

    static PortUser current();
};

// Where ports are looked for, and by whom; current() is this system and this user.
struct PortSystem {
    std::filesystem::path sysRoot;     // /sys
    std::filesystem::path deviceRoot;  // /dev
    std::filesystem::path simulatorPorts;
    std::map<std::string, std::string> bluetoothAddresses;  // rfcomm0 to 00:11:22:33:44:55
    PortUser user;

    static PortSystem current();
};

// The serial ports a recorder may hang on: every tty of the kernel's tty class that sits on
// a real device (USB serial adapters, ACM modems, UARTs that exist) or is a Bluetooth serial
// port (rfcomm, bound or connected), and whose device node is there; plus the ports that a
// running simulator publishes in the per-user folder (SimulatorPortFolder).
class SerialPortDictionary {
  public:
    static PortDictionary serialPortDictionary();
    static PortDictionary serialPortDictionary(const PortSystem& system);

    // The port that a name given by the user means: a listed name, or the device name,
    // path or identity of a listed port; else the text itself as a path.
    static PortEntry portNamed(const PortDictionary& ports, const std::string& name);

    // $XDG_RUNTIME_DIR/kelvo/ports, else /tmp/kelvo-<uid>/ports.
    static std::filesystem::path defaultSimulatorPortFolder();

    // The names of the ttys under the class root that sit on a device or are Bluetooth
    // ports; empty (with the reason on standard output) when the root cannot be listed.
    static std::vector<std::string> findSerialPorts(const std::filesystem::path& ttyClassRoot);

    // The remote address of each Bluetooth serial port the kernel knows (rfcomm0 to
    // 00:11:22:33:44:55); empty without Bluetooth.
    static std::map<std::string, std::string> rfcommAddresses();
};

}  // namespace kelvo
