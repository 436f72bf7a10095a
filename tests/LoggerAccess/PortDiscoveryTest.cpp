#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "LoggerAccess/LineSpeedMemory.h"
#include "LoggerAccess/SerialPortDictionary.h"
#include "LoggerAccess/SimulatorPortFolder.h"
#include "LoggerAccess/VolumeDictionary.h"
#include "TempFolder.h"
#include "base/Format.h"
#include "base/Log.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

// A kernel tty class and its device nodes: an FTDI adapter and an LXNAV Nano3 (an ACM modem)
// on USB, a real UART, the 8250 placeholder without a UART, a bound Bluetooth port and one
// released (no node), virtual terminals and the pseudo-terminal multiplexer (no device).
void makeTtyClass(TempFolder& tree, const std::string& adapterTty = "ttyUSB0") {
    tree.write("sys/devices/usb1/1-1/idVendor", "0403\n");
    tree.write("sys/devices/usb1/1-1/product", "FT232R USB UART\n");
    tree.folder("sys/devices/usb1/1-1/1-1:1.0/" + adapterTty + "/tty/" + adapterTty);
    tree.link("sys/class/tty/" + adapterTty + "/device",
              "../../../devices/usb1/1-1/1-1:1.0/" + adapterTty);
    tree.link("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
              "../../" + adapterTty);
    tree.write("sys/devices/usb1/1-2/idVendor", "1d50\n");
    tree.write("sys/devices/usb1/1-2/product", " Nano3\x01 \n");
    tree.link("sys/devices/usb1/1-2/1-2:1.0/tty/ttyACM0/device", "../../../1-2:1.0");
    tree.link("sys/class/tty/ttyACM0", "../../devices/usb1/1-2/1-2:1.0/tty/ttyACM0");
    tree.link("dev/serial/by-id/usb-LXNAV_Nano3_1234-if00", "../../ttyACM0");
    tree.write("sys/class/tty/ttyS0/type", "4\n");
    tree.link("sys/class/tty/ttyS0/device", "../../../devices/platform/serial8250");
    tree.write("sys/class/tty/ttyS1/type", "0\n");
    tree.link("sys/class/tty/ttyS1/device", "../../../devices/platform/serial8250");
    tree.folder("sys/class/tty/rfcomm0");
    tree.folder("sys/class/tty/rfcomm1");
    tree.folder("sys/class/tty/tty0");
    tree.folder("sys/class/tty/ptmx");
    for (const std::string& node : {adapterTty, std::string("ttyACM0"), std::string("ttyS0"),
                                    std::string("ttyS1"), std::string("rfcomm0")}) {
        ::chmod(tree.write("dev/" + node, "").c_str(), 0666);
    }
}

PortSystem fabricated(TempFolder& tree) {
    return {tree.path() / "sys",
            tree.path() / "dev",
            tree.path() / "ports",
            {{"rfcomm0", "00:1A:7D:DA:71:13"}},
            PortUser{4242, {4242}}};
}

PortEntry port(const fs::path& path, std::string identity = {}, std::string description = {},
               std::string problem = {}) {
    PortEntry entry(path.string());
    if (!identity.empty()) entry.identity = std::move(identity);
    entry.description = std::move(description);
    entry.problem = std::move(problem);
    return entry;
}

// This process publishes a simulator's port.
void publish(TempFolder& tree, const std::string& name) {
    const SimulatorPortFolder folder(tree.path() / "ports");
    std::string reason;
    ASSERT_TRUE(folder.prepare(reason)) << reason;
    ASSERT_EQ(folder.publish(name, "/dev/pts/9", reason), name) << reason;
}

// A simulator that published its port and ended without removing it, as one killed does;
// a zombie until reap().
struct EndedSimulator {
    EndedSimulator(TempFolder& tree, const std::string& name) {
        pid = ::fork();
        if (pid == 0) {
            std::string reason;
            SimulatorPortFolder(tree.path() / "ports").publish(name, "/dev/pts/8", reason);
            ::_exit(0);
        }
        siginfo_t info{};
        ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    }
    ~EndedSimulator() { reap(); }
    void reap() { ::waitpid(pid, nullptr, WNOHANG); }
    pid_t pid = -1;
};

PortDictionary simulatorPorts(TempFolder& tree, const fs::path& folder) {
    PortSystem system = fabricated(tree);
    system.sysRoot = tree.folder("no-sys");
    tree.folder("no-sys/class/tty");
    system.simulatorPorts = folder;
    return SerialPortDictionary::serialPortDictionary(system);
}

TEST(SerialPortDictionary, ListsPortsAsThePilotKnowsThemAndSimulatorLinks) {
    TempFolder tree;
    makeTtyClass(tree);
    publish(tree, "Simulated LX");
    tree.write("ports/readme", "not a port");
    // Only the group may use the adapter.
    const fs::path adapter = tree.path() / "dev/ttyUSB0";
    ::chmod(adapter.c_str(), 0660);
    struct stat status {};
    ::stat(adapter.c_str(), &status);
    const group* owners = ::getgrgid(status.st_gid);

    const PortDictionary ports = SerialPortDictionary::serialPortDictionary(fabricated(tree));
    const fs::path dev = tree.path() / "dev";
    const PortDictionary expected{
        {"FT232R USB UART - ttyUSB0",
         port(adapter, "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FT232R USB UART",
              "join the group " +
                  (owners ? std::string(owners->gr_name) : std::to_string(status.st_gid)))},
        {"Nano3 - ttyACM0", port(dev / "ttyACM0", "usb-LXNAV_Nano3_1234-if00", "Nano3")},
        {"Simulated LX", port(tree.path() / "ports/Simulated LX")},
        {"rfcomm0", port(dev / "rfcomm0", "00:1A:7D:DA:71:13")},
        {"ttyS0", port(dev / "ttyS0")},
    };
    EXPECT_EQ(ports, expected);
    // Any of a port's names finds it; anything else is taken as a path.
    for (const char* name : {"Nano3 - ttyACM0", "ttyACM0", "usb-LXNAV_Nano3_1234-if00"}) {
        EXPECT_EQ(SerialPortDictionary::portNamed(ports, name), expected.at("Nano3 - ttyACM0"));
    }
    EXPECT_EQ(SerialPortDictionary::portNamed(ports, "/dev/ttyUSB7"), PortEntry("/dev/ttyUSB7"));
}

TEST(SerialPortDictionary, RememberedSpeedsFollowAnAdapterToAnotherNumber) {
    TempFolder before;
    TempFolder after;
    makeTtyClass(before, "ttyUSB0");
    makeTtyClass(after, "ttyUSB1");
    const PortDictionary first = SerialPortDictionary::serialPortDictionary(fabricated(before));
    const PortDictionary second = SerialPortDictionary::serialPortDictionary(fabricated(after));
    // What an earlier version kept under the path is read, and kept under the identity after.
    const fs::path file =
        before.write("line-speeds", "38400\t" + first.at("ttyS0").path + "\n" + "9600\t" +
                                        first.at("Nano3 - ttyACM0").path + "\n");
    const LineSpeedMemory speeds(file);
    EXPECT_EQ(speeds.speedFor(first.at("Nano3 - ttyACM0")), 9600);
    speeds.remember(first.at("FT232R USB UART - ttyUSB0"), 57600);
    speeds.remember(first.at("Nano3 - ttyACM0"), 9600);

    EXPECT_EQ(speeds.speedFor(second.at("FT232R USB UART - ttyUSB1")), 57600);
    EXPECT_EQ(speeds.speedFor(second.at("Nano3 - ttyACM0")), 9600);
    EXPECT_EQ(speeds.speedFor(second.at("ttyS0")), 0);  // another tree's path
    EXPECT_EQ(readText(file), "38400\t" + first.at("ttyS0").path +
                                  "\n57600\tusb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
                                  "9600\tusb-LXNAV_Nano3_1234-if00\n");
}

TEST(SerialPortDictionary, IsEmptyWithoutHardwareOrSimulator) {
    TempFolder tree;
    PortSystem system = fabricated(tree);
    system.sysRoot = tree.path() / "no-sysfs";
    system.simulatorPorts = tree.path() / "no-ports";
    testing::internal::CaptureStdout();
    const PortDictionary none = SerialPortDictionary::serialPortDictionary(system);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(none.empty());
    EXPECT_NE(printed.find("no-sysfs/class/tty returned"), std::string::npos) << printed;
}

TEST(SerialPortDictionary, ListsOnlyRunningSimulatorsAndRemovesWhatEndedOnesLeft) {
    TempFolder tree;
    publish(tree, "Simulated LX");
    const EndedSimulator killed(tree, "Simulated LX 2");
    EndedSimulator reaped(tree, "Simulated Flarm");
    reaped.reap();
    // The number of an ended simulator, now held by another process.
    tree.link("ports/Simulated Flarm 2", "/dev/pts/7");
    tree.write("ports/Simulated Flarm 2.pid", std::to_string(::getpid()) + " 1\n");
    tree.link("ports/Simulated Volkslogger", "/dev/pts/6");  // its simulator is publishing
    // A pipe under a record's name holds no process: read, it would block the listing.
    tree.link("ports/Simulated Flarm 3", "/dev/pts/5");
    ASSERT_EQ(::mkfifo((tree.path() / "ports/Simulated Flarm 3.pid").c_str(), 0600), 0);

    CapturingLogSink log;
    const PortDictionary ports = simulatorPorts(tree, tree.path() / "ports");
    const PortDictionary expected{{"Simulated LX", (tree.path() / "ports/Simulated LX").string()}};
    EXPECT_EQ(ports, expected);
    EXPECT_TRUE(log.contains("Removed the port \"Simulated Flarm\" of a simulator that has ended"));
    for (const char* gone :
         {"Simulated Flarm", "Simulated Flarm.pid", "Simulated Flarm 2", "Simulated Flarm 2.pid",
          "Simulated Flarm 3", "Simulated Flarm 3.pid", "Simulated LX 2", "Simulated LX 2.pid"}) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree.path() / "ports" / gone))) << gone;
    }
    EXPECT_TRUE(fs::is_symlink(tree.path() / "ports/Simulated Volkslogger"));
}

TEST(SerialPortDictionary, RefusesSimulatorFoldersThatOthersMayWrite) {
    TempFolder tree;
    publish(tree, "Simulated LX");
    tree.link("linked/ports", tree.path() / "ports");
    const fs::path ports = tree.path() / "ports";
    const auto refused = [&](const fs::path& folder, const std::string& reason) {
        CapturingLogSink log;
        const PortDictionary listed = simulatorPorts(tree, folder);
        EXPECT_TRUE(listed.empty()) << folder;
        EXPECT_TRUE(log.contains(reason)) << (log.lines().empty() ? "" : log.lines().front());
    };

    refused(tree.path() / "linked/ports",
            "folder " + (tree.path() / "linked/ports").string() + " is not a folder");
    ::chmod(ports.c_str(), 0770);
    refused(ports, "folder " + ports.string() + " may be written by other users");
    ::chmod(ports.c_str(), 0700);
    ::chmod(tree.path().c_str(), 0703);
    refused(ports, "folder " + tree.path().string() + " may be written by other users");
    ::chmod(tree.path().c_str(), 0700);
    if (::chown(ports.c_str(), ::getuid() + 1, static_cast<gid_t>(-1)) == 0) {
        refused(ports, "folder " + ports.string() + " belongs to another user");
    }
}

TEST(SerialPortDictionary, KeepsSimulatorPortsInTheUsersRuntimeFolder) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(SerialPortDictionary::defaultSimulatorPortFolder(), "/run/user/1000/kelvo/ports");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SerialPortDictionary::defaultSimulatorPortFolder(),
              fs::path("/tmp/kelvo-" + std::to_string(::getuid())) / "ports");
    if (saved) ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}

// Disks: sdb removable, sdc fixed, sdd a fixed-looking disk on a USB bus, sde removable.
void makeBlockClass(TempFolder& tree) {
    const auto disk = [&](const std::string& bus, const std::string& name, const char* removable) {
        const std::string device = "sys/devices/" + bus + "/block/" + name;
        tree.write(device + "/removable", removable);
        tree.folder(device + "/" + name + "1");
        tree.link("sys/class/block/" + name + "1",
                  "../../devices/" + bus + "/block/" + name + "/" + name + "1");
    };
    disk("pci0/ata1/host0", "sdb", "1\n");
    disk("pci0/ata2/host1", "sdc", "0\n");
    disk("pci0/usb2/2-1/host2", "sdd", "0\n");
    disk("pci0/ata3/host3", "sde", "1\n");
}

TEST(VolumeDictionary, ListsWritableRemovableVolumesButNeverTheRoot) {
    TempFolder tree;
    makeBlockClass(tree);
    const fs::path stick = tree.folder("media/STICK");
    tree.folder("media/DATA");
    const fs::path card = tree.folder("media/LX CARD");
    tree.folder("media/LOCKED");
    const std::string media = (tree.path() / "media").string();
    std::string mounts = "proc /proc proc rw,nosuid 0 0\n/dev/sdb1 / ext4 rw,relatime 0 0\n";
    for (const char* mount : {"sdb1 %s/STICK vfat rw,relatime", "sdc1 %s/DATA ext4 rw",
                              "sdd1 %s/LX\\040CARD vfat rw", "sde1 %s/LOCKED vfat ro,relatime",
                              "sdb1 %s/GONE vfat rw"})
        mounts += "/dev/" + stringf(mount, media.c_str()) + " 0 0\n";
    const fs::path table = tree.write("mounts", mounts + "garbage\n");

    const PortDictionary volumes =
        VolumeDictionary::volumeDictionary(table, tree.path() / "sys/class/block");
    const PortDictionary expected{{"LX CARD", card.string()}, {"STICK", stick.string()}};
    EXPECT_EQ(volumes, expected);
}

}  // namespace
}  // namespace kelvo
