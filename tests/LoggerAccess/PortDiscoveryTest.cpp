#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "LoggerAccess/SerialPortDictionary.h"
#include "LoggerAccess/SimulatorPortFolder.h"
#include "LoggerAccess/VolumeDictionary.h"
#include "TempFolder.h"
#include "base/Format.h"
#include "base/Log.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

// A kernel tty class: USB, ACM and a real UART sit on devices; the 8250 placeholder has no
// UART, virtual terminals and the pseudo-terminal multiplexer have no device.
void makeTtyClass(TempFolder& tree) {
    tree.folder("sys/devices/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0");
    tree.link("sys/class/tty/ttyUSB0/device", "../../../devices/usb1/1-1/1-1:1.0/ttyUSB0");
    tree.folder("sys/devices/usb1/1-2/1-2:1.0/tty/ttyACM0/device");
    tree.link("sys/class/tty/ttyACM0", "../../devices/usb1/1-2/1-2:1.0/tty/ttyACM0");
    tree.write("sys/class/tty/ttyS0/type", "4\n");
    tree.link("sys/class/tty/ttyS0/device", "../../../devices/platform/serial8250");
    tree.write("sys/class/tty/ttyS1/type", "0\n");
    tree.link("sys/class/tty/ttyS1/device", "../../../devices/platform/serial8250");
    tree.folder("sys/class/tty/tty0");
    tree.folder("sys/class/tty/ptmx");
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
    return SerialPortDictionary::serialPortDictionary(tree.folder("no-ttys"), "/dev", folder);
}

TEST(SerialPortDictionary, ListsTtysOnDevicesAndSimulatorLinks) {
    TempFolder tree;
    makeTtyClass(tree);
    publish(tree, "Simulated LX");
    tree.write("ports/readme", "not a port");

    const PortDictionary ports = SerialPortDictionary::serialPortDictionary(
        tree.path() / "sys/class/tty", "/dev", tree.path() / "ports");
    const PortDictionary expected{
        {"Simulated LX", (tree.path() / "ports/Simulated LX").string()},
        {"ttyACM0", "/dev/ttyACM0"},
        {"ttyS0", "/dev/ttyS0"},
        {"ttyUSB0", "/dev/ttyUSB0"},
    };
    EXPECT_EQ(ports, expected);
}

TEST(SerialPortDictionary, IsEmptyWithoutHardwareOrSimulator) {
    TempFolder tree;
    testing::internal::CaptureStdout();
    const PortDictionary none = SerialPortDictionary::serialPortDictionary(
        tree.path() / "no-sysfs", "/dev", tree.path() / "no-ports");
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(none.empty());
    EXPECT_NE(printed.find("no-sysfs returned"), std::string::npos) << printed;
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
