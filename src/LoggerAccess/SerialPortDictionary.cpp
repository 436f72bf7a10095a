#include "LoggerAccess/SerialPortDictionary.h"

#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
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

// Bluetooth serial ports have no device in sysfs; they are there while bound or connected.
bool isBluetoothPort(const fs::path& tty) {
    return tty.filename().string().starts_with("rfcomm");
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

// The first line of a short text the kernel or a device reports, without control characters
// and surrounding blanks; empty when there is none.
std::string reportedText(const fs::path& file) {
    constexpr std::size_t kLongest = 128;
    std::ifstream in(file);
    std::string text;
    for (char c = 0; text.size() < kLongest && in.get(c) && c != '\n';) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) text += c;
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The product name of the USB device a tty belongs to: the first folder above the tty's
// device that holds a USB device's descriptors (for an adapter the port's interface's
// parent, for an ACM modem its interface's).
std::string usbProductOf(const fs::path& tty) {
    constexpr int kLevelsToUsbDevice = 4;
    std::error_code error;
    fs::path device = fs::canonical(tty / "device", error);
    for (int level = 0; !error && level < kLevelsToUsbDevice && device.has_relative_path();
         ++level, device = device.parent_path()) {
        if (fs::exists(device / "idVendor", error)) return reportedText(device / "product");
    }
    return {};
}

// udev's stable names of USB serial ports, by the tty they point to.
std::map<std::string, std::string> byIdNames(const fs::path& deviceRoot) {
    std::map<std::string, std::string> names;
    forEachEntry(deviceRoot / "serial" / "by-id", [&](const fs::directory_entry& entry) {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (!error) names.emplace(target.filename().string(), entry.path().filename().string());
    });
    return names;
}

std::string groupName(gid_t gid) {
    std::array<char, 4096> buffer{};
    group entry{};
    group* found = nullptr;
    ::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found);
    return found ? found->gr_name : std::to_string(gid);
}

std::string userName(uid_t uid) {
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
    return found ? found->pw_name : std::to_string(uid);
}

// Why the user may not read and write the device, as what to do about it; empty when they
// may (or nothing is known).
std::string accessProblem(const fs::path& device, const PortUser& user) {
    struct stat status {};
    if (user.uid == 0 || ::stat(device.c_str(), &status) != 0) return {};
    const bool inGroup =
        std::find(user.groups.begin(), user.groups.end(), status.st_gid) != user.groups.end();
    const mode_t needed = status.st_uid == user.uid ? S_IRUSR | S_IWUSR
                          : inGroup                 ? S_IRGRP | S_IWGRP
                                                    : S_IROTH | S_IWOTH;
    if ((status.st_mode & needed) == needed) return {};
    if (!inGroup && (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        return "join the group " + groupName(status.st_gid);
    }
    return "only " + userName(status.st_uid) + " may open it";
}

// The kernel's list of Bluetooth serial ports (linux/net/bluetooth/rfcomm.h), asked through
// a Bluetooth RFCOMM socket.
constexpr int kBluetoothFamily = 31;  // AF_BLUETOOTH
constexpr int kRfcommProtocol = 3;    // BTPROTO_RFCOMM
constexpr unsigned long kRfcommGetDeviceList = _IOR('R', 211, int);
constexpr std::uint16_t kMostRfcommPorts = 32;

struct RfcommPortInfo {
    std::int16_t id;
    std::uint32_t flags;
    std::uint16_t state;
    std::array<std::uint8_t, 6> source;  // least significant byte first
    std::array<std::uint8_t, 6> destination;
    std::uint8_t channel;
};

struct RfcommPortList {
    std::uint16_t count;
    std::array<RfcommPortInfo, kMostRfcommPorts> ports;
};

std::string bluetoothAddress(const std::array<std::uint8_t, 6>& bytes) {
    return stringf("%02X:%02X:%02X:%02X:%02X:%02X", bytes[5], bytes[4], bytes[3], bytes[2],
                   bytes[1], bytes[0]);
}

}  // namespace

PortUser PortUser::current() {
    PortUser user{::geteuid(), {::getegid()}};
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        if (::getgroups(count, groups.data()) == count) {
            user.groups.insert(user.groups.end(), groups.begin(), groups.end());
        }
    }
    return user;
}

PortSystem PortSystem::current() {
    return {"/sys", "/dev", SerialPortDictionary::defaultSimulatorPortFolder(),
            SerialPortDictionary::rfcommAddresses(), PortUser::current()};
}

PortDictionary SerialPortDictionary::serialPortDictionary() {
    return serialPortDictionary(PortSystem::current());
}

PortDictionary SerialPortDictionary::serialPortDictionary(const PortSystem& system) {
    const fs::path ttys = system.sysRoot / "class" / "tty";
    const auto stableNames = byIdNames(system.deviceRoot);
    PortDictionary ports;
    for (const std::string& name : findSerialPorts(ttys)) {
        const fs::path device = system.deviceRoot / name;
        std::error_code error;
        if (!fs::exists(device, error)) continue;
        PortEntry port(device.string());
        port.description = usbProductOf(ttys / name);
        if (const auto found = stableNames.find(name); found != stableNames.end()) {
            port.identity = found->second;
        } else if (const auto address = system.bluetoothAddresses.find(name);
                   address != system.bluetoothAddresses.end()) {
            port.identity = address->second;
        }
        port.problem = accessProblem(device, system.user);
        ports.emplace(port.description.empty() ? name : port.description + " - " + name, port);
    }
    // A hardware port keeps its entry when a simulator link bears the same name.
    for (const auto& [name, link] : SimulatorPortFolder(system.simulatorPorts).livePorts()) {
        ports.emplace(name, link.string());
    }
    return ports;
}

PortEntry SerialPortDictionary::portNamed(const PortDictionary& ports, const std::string& name) {
    if (const auto found = ports.find(name); found != ports.end()) return found->second;
    for (const auto& [listed, port] : ports) {
        if (port.path == name || port.identity == name || fs::path(port.path).filename() == name) {
            return port;
        }
    }
    return PortEntry(name);
}

std::map<std::string, std::string> SerialPortDictionary::rfcommAddresses() {
    std::map<std::string, std::string> addresses;
    const int control = ::socket(kBluetoothFamily, SOCK_RAW | SOCK_CLOEXEC, kRfcommProtocol);
    if (control < 0) return addresses;
    RfcommPortList list{};
    list.count = kMostRfcommPorts;
    if (::ioctl(control, kRfcommGetDeviceList, &list) == 0) {
        for (std::size_t i = 0; i < std::min<std::size_t>(list.count, kMostRfcommPorts); ++i) {
            const RfcommPortInfo& port = list.ports[i];
            addresses.emplace("rfcomm" + std::to_string(port.id),
                              bluetoothAddress(port.destination));
        }
    }
    ::close(control);
    return addresses;
}

fs::path SerialPortDictionary::defaultSimulatorPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return fs::path(runtime) / "kelvo" / "ports";
    return fs::path(stringf("/tmp/kelvo-%u", static_cast<unsigned>(::getuid()))) / "ports";
}

std::vector<std::string> SerialPortDictionary::findSerialPorts(const fs::path& ttyClassRoot) {
    std::vector<std::string> names;
    const std::error_code error = forEachEntry(ttyClassRoot, [&](const fs::directory_entry& entry) {
        if ((sitsOnDevice(entry.path()) || isBluetoothPort(entry.path())) &&
            !isPlaceholderUart(entry.path())) {
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
