#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../LoggerAccess/Flarm/FlarmTestDevice.h"
#include "../LoggerAccess/TempFolder.h"
#include "LoggerAccess/Flarm/Flarm.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LXNAV/LXNAVLogger.h"
#include "LoggerAccess/Outcome.h"
#include "LoggerAccess/Volkslogger/Volkslogger.h"
#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/LXNAV/LXNAVEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimulatedLink.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "sim/demo/DemoLXNAV.h"

// The fault matrix: every operation of every driver against its emulator under each line
// fault. Every case must end within the operation's bound, answer a failure with its reason
// (or, where the protocol can recover, deliver exactly the right data), leave a log line,
// and leave an earlier output file as it was. Cancelled part-way on a sound line, a long
// operation ends soon after the request, answers cancelled, and leaves the recorder usable.
namespace kelvo::faults {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;
using Seconds = std::chrono::seconds;

enum class Family { Flarm, LX, Volkslogger, LXNAV };
constexpr const char* kFamilyNames[] = {"Flarm", "LX", "Volkslogger", "LXNAV"};

enum class Operation {
    connect,
    readInfo,
    readDirectory,
    readFile,
    clearDirectory,
    readWaypoints,
    readDeclaration,
    writeDatabaseAndDeclaration
};
constexpr const char* kOperationNames[] = {
    "connect",      "readInfo",      "readDirectory",   "readFile",
    "clearDirectory", "readWaypoints", "readDeclaration", "writeDatabaseAndDeclaration"};

enum class Fault { Silence, WrongCrc, DroppedLine, Noise };
constexpr Fault kAllFaults[] = {Fault::Silence, Fault::WrongCrc, Fault::DroppedLine, Fault::Noise};
constexpr const char* kFaultNames[] = {"Silence", "WrongCrc", "DroppedLine", "Noise"};

// How what an operation took under a fault is compared with what it takes from a sound
// line: exactly; as a prefix (a list of records each checked on its own, cut where the
// fault struck); or not at all (a reply with nothing to check it by, taken as received).
enum class Check { Exact, Prefix, None };

// One operation of one family. `realBound` is its bound with every wait at its real length;
// `detected` holds the faults that break a reply it checks, so that it must fail rather than
// recover (S silence, C wrong CRC, D dropped line; noise may always be recovered from);
// `dropAfter` is how many bytes the device still sends, inside the operation's main reply,
// before the line goes dead; `crcReply` is the LX command whose reply carries the CRC that the
// operation checks.
struct Row {
    Family family;
    Operation operation;
    Seconds realBound;
    Check check;
    const char* detected;
    std::size_t dropAfter = 0;
    std::uint8_t crcReply = 0;

    bool detects(Fault fault) const {
        return fault != Fault::Noise && std::strchr(detected, "SCD"[static_cast<int>(fault)]);
    }
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << kFamilyNames[static_cast<int>(row.family)] << ' '
         << kOperationNames[static_cast<int>(row.operation)];
}

using enum Family;
using enum Operation;
using enum Check;
constexpr std::uint8_t kFirstFlightBlock = 0xE6, kMemoryInfo = 0xD1, kDatabase = 0x52,
                       kDeclarationBlock = 0xC9;

// Flarm, with every wait at its real length: the speed search makes 30 quarter-second
// tries; a text answer is awaited 2 s and counts only with its checksum, a written item's echo
// 5 s, three times; a binary answer is awaited 0.5 s (an IGC piece 1 s) and a download ends
// after 10 empty pieces. The wrong CRC touches only the binary frames of the flight list and
// the download.
// LX: the speed search gives up after 10 s; the directory ends after three quiet 2-second
// reads; a block read waits 0.1 s per missing byte once; the declaration write tries 15
// synchronisations a second apart. The identification reply carries nothing to check it by;
// the directory's records are checked one by one; a written database is read back.
// LXNAV: every answer is a checksummed sentence, so a wrong checksum is silence. The speed
// search asks 0.5 s at each of five speeds; the flight count and each logbook entry are
// awaited 2 s, a page asked twice with a drain of at most 2 s between. A download waits 5 s
// for its first block and 2 s for each further one (a missing one asked for twice), then
// falls back to rows: 20 s for the first (the recorder opens the file) until one came, 2 s
// for each further one, two requests without progress. A declaration row is confirmed within 2 s of
// each of its two sends; the read-back waits 2 s a row, asked twice. The drop strikes
// inside the list and the download.
// Volkslogger: a silent recorder is given up after the 4 and 10 second wake-up attempts of
// each operation, a command reply after 4 s, a block after 20 s of silence; erasing waits
// 15 s. Writing adds the paced upload of the 16 kB image, which no delay scale shortens. Every
// reply but the wake-up handshake is a CRC-checked block.
const Row kMatrix[] = {
    {Flarm, connect, Seconds(30), Exact, "SD", 20},
    {Flarm, readInfo, Seconds(15), None, "S", 40},
    {Flarm, readDirectory, Seconds(15), Prefix, "SC", 15 + 80},
    {Flarm, readFile, Seconds(20), Exact, "SCD", 15 + 15 + 250},
    {Flarm, readDeclaration, Seconds(15), None, "S", 40},
    {Flarm, writeDatabaseAndDeclaration, Seconds(40), Exact, "SD", 200},
    {LX, connect, Seconds(15), Exact, "SD", 1, kMemoryInfo},
    {LX, readInfo, Seconds(5), None, "S", 1 + 20, kMemoryInfo},
    {LX, readDirectory, Seconds(20), Prefix, "S", 3 + 7 + 96 + 40, kMemoryInfo},
    {LX, readFile, Seconds(20), Exact, "SCD", 10 + 1000, kFirstFlightBlock},
    {LX, readWaypoints, Seconds(10), Exact, "SCD", 3 + 10000, kDatabase},
    {LX, readDeclaration, Seconds(10), Exact, "SCD", 3 + 200, kDeclarationBlock},
    {LX, writeDatabaseAndDeclaration, Seconds(40), Exact, "SCD", 2, kDatabase},
    {Volkslogger, connect, Seconds(10), Exact, "S"},
    {Volkslogger, readInfo, Seconds(60), Exact, "SCD"},
    {Volkslogger, readDirectory, Seconds(60), Exact, "SCD"},
    {Volkslogger, readFile, Seconds(60), Exact, "SCD"},
    {Volkslogger, clearDirectory, Seconds(60), Exact, "S"},
    {Volkslogger, readWaypoints, Seconds(60), Exact, "SCD"},
    {Volkslogger, readDeclaration, Seconds(60), Exact, "SCD"},
    {Volkslogger, writeDatabaseAndDeclaration, Seconds(120), Exact, "SCD"},
    {LXNAV, connect, Seconds(5), Exact, "SC"},
    {LXNAV, readInfo, Seconds(2), Exact, "SC"},
    {LXNAV, readDirectory, Seconds(10), Exact, "SCD", 150},
    {LXNAV, readFile, Seconds(50), Exact, "SCD", 2000},
    {LXNAV, readDeclaration, Seconds(8), Exact, "SC"},
    {LXNAV, writeDatabaseAndDeclaration, Seconds(6), Exact, "SC"},
};

// Every device wait of the matrix runs at this fraction of its real length, so the bounds
// are checked against scaled times plus a margin for a busy machine.
constexpr double kDelayScale = 0.05;
constexpr Milliseconds kSchedulingMargin{1500};

// A link's delays and stalls are real time, so over a USB adapter or Bluetooth every wait
// keeps its real length (a first byte is awaited as long as from a pilot's recorder), and so
// over the plain line the links are compared with.
constexpr double kLinkDelayScale = 1.0;
// Fixes the Bluetooth link's delays and stalls, so that a failing run can be repeated.
constexpr std::uint64_t kLinkSeed = 7;
constexpr sim::LinkKind kLinks[] = {sim::LinkKind::Usb, sim::LinkKind::Bluetooth};
constexpr const char* kLinkNames[] = {"plain", "usb", "bluetooth"};
// The families whose drivers tell a slow link from a silent recorder, run over each link.
// LX and Volkslogger join when theirs do.
constexpr Family kFamiliesOverLinks[] = {Flarm, LXNAV};

// Noise keeps a block read going until the read gives the block up as runaway, which is a
// matter of bytes, not of time: the largest (a Volkslogger flight) is about 170 kB, which
// the noise below delivers in about 5 s.
constexpr Milliseconds kNoiseRunaway{6000};

Milliseconds scaledBound(Seconds realBound, Fault fault) {
    return std::chrono::duration_cast<Milliseconds>(realBound * kDelayScale) + kSchedulingMargin +
           (fault == Fault::Noise ? kNoiseRunaway : Milliseconds(0));
}

// A target folder that already holds a good file from an earlier download.
class OutputFolder {
  public:
    static constexpr const char* kEarlierFile = "EARLIER GOOD FLIGHT\r\n";

    explicit OutputFolder(const std::string& name) : m_target(m_folder.write(name, kEarlierFile)) {}

    const std::filesystem::path& target() const { return m_target; }

    std::optional<std::string> contents() const {
        std::ifstream in(m_target, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

  private:
    TempFolder m_folder;
    std::filesystem::path m_target;
};

// Writes bursts of line noise to the host while it lives: bytes that are no valid frame and
// no valid answer, landing between and inside the device's replies. The bytes are random, as
// on a real line: a sequence that repeats would meet the LX's 8-bit checksum at the same few
// places and pass it one time in four, not one in 256.
class LineNoise {
  public:
    explicit LineNoise(sim::PseudoTerminal& line) : m_line(line), m_thread([this] { run(); }) {}
    ~LineNoise() {
        m_stop = true;
        m_thread.join();
    }
    LineNoise(const LineNoise&) = delete;
    LineNoise& operator=(const LineNoise&) = delete;

  private:
    void run() {
        std::mt19937 random(0x5A);
        std::uniform_int_distribution<int> anyByte(0, 255);
        while (!m_stop) {
            Bytes burst(64);
            for (std::uint8_t& byte : burst) byte = static_cast<std::uint8_t>(anyByte(random));
            // A host that reads nothing must not block the noise thread.
            pollfd line{m_line.masterFd(), POLLOUT, 0};
            if (::poll(&line, 1, 0) == 1 && (line.revents & POLLOUT)) m_line.write(burst);
            std::this_thread::sleep_for(Milliseconds(2));
        }
    }

    sim::PseudoTerminal& m_line;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A device emulator with its driver on the other end of a pseudo-terminal. The families
// differ in their recorder's memory, in how a fault is put on the line, in what a download
// and a write are given and in what a clear or a write leaves in the recorder.
class Rig {
  public:
    Rig(sim::LinkKind link, double delayScale) : scale(delayScale) {
        line.setLink(link, kLinkSeed);
    }
    virtual ~Rig() = default;

    // Connects like the controller (up to five attempts: the wake-up handshakes are short at
    // the matrix's delay scale, and the machine may be busy) unless the case is the connect.
    void prepare(Operation operation) {
        if (operation == connect) return;
        bool connected = false;
        for (int attempt = 0; attempt < 5 && !connected; ++attempt)
            connected = logger().connect(line.slavePath()).ok();
        EXPECT_TRUE(connected);
        readBefore(operation);
    }

    kelvo::Outcome run(Operation operation, const std::filesystem::path& target) {
        Logger& driver = logger();
        switch (operation) {
            case connect:
                return driver.connect(line.slavePath());
            case readInfo:
                return driver.readInfo();
            case readDirectory:
                return driver.readDirectory(true);
            case readFile:
                return download(target);
            case clearDirectory:
                return driver.clearDirectory();
            case readWaypoints:
                return driver.readWaypoints(true);
            case readDeclaration:
                return driver.readDeclaration(true);
            case writeDatabaseAndDeclaration:
                driver.loggerData().setWaypoints({Waypoint::fromDegrees("NEW", 46, 7, 0)});
                driver.loggerData().setDeclaration(declarationToWrite());
                return driver.writeDatabaseAndDeclaration();
        }
        return kelvo::Outcome::failure("no such operation");
    }

    // What the operation delivered, as text to compare with a run without faults.
    std::string delivered(Operation operation, const OutputFolder& folder) {
        Logger& driver = logger();
        std::ostringstream out;
        switch (operation) {
            case connect:
                out << driver.connected();
                break;
            case readInfo:
                for (const auto& [key, value] : driver.loggerData().loggerInfo())
                    out << key << '=' << value << ';';
                break;
            case readDirectory:
                for (const auto& entry : driver.loggerData().flightDirectory())
                    out << *entry.filename << ';';
                break;
            case readFile:
                out << folder.contents().value_or("");
                break;
            case readWaypoints:
                for (const auto& waypoint : driver.loggerData().waypoints())
                    out << waypoint->name() << ';';
                for (const auto& route : driver.loggerData().routes())
                    out << route->waypoints().size() << ';';
                break;
            case readDeclaration:
                if (const auto& declared = driver.loggerData().declaration()) {
                    out << declared->pilot1() << ';' << declared->gliderType() << ';'
                        << declared->gliderID() << ';' << declared->competitionID() << ';'
                        << (declared->task() ? declared->task()->numOfTurnpoints() : 0);
                }
                break;
            case clearDirectory:
            case writeDatabaseAndDeclaration:
                out << recorderHolds();
                break;
        }
        return out.str();
    }

    virtual void applyFault(Fault fault, const Row& row) = 0;

    ScopedDelayScale scale;
    sim::PseudoTerminal line;

  protected:
    virtual Logger& logger() = 0;
    virtual void readBefore(Operation) {}
    virtual kelvo::Outcome download(const std::filesystem::path& target) = 0;
    virtual std::shared_ptr<Declaration> declarationToWrite() { return nullptr; }
    virtual std::string recorderHolds() { return {}; }
};

std::shared_ptr<Declaration> lxDeclaration();

// A Flarm device with four recorded flights.
class FlarmRig : public Rig {
  public:
    using Rig::Rig;
    void applyFault(Fault fault, const Row& row) override {
        if (fault == Fault::Silence) device.setSilent(true);
        if (fault == Fault::WrongCrc) device.setWrongCrc(true);
        if (fault == Fault::DroppedLine) device.dropLineAfter(row.dropAfter);
    }

  private:
    Logger& logger() override { return flarm; }
    void readBefore(Operation operation) override {
        if (operation == writeDatabaseAndDeclaration) {
            EXPECT_TRUE(flarm.readDeclaration(false).ok());
        }
    }
    kelvo::Outcome download(const std::filesystem::path& target) override {
        return flarm.readFile(target, 3, true, true, nullptr);
    }
    std::shared_ptr<Declaration> declarationToWrite() override { return lxDeclaration(); }
    std::string recorderHolds() override {
        std::string held = device.value("PILOT") + '|' + device.value("GLIDERTYPE");
        for (const std::string& point : device.taskPoints()) held += '|' + point;
        return held;
    }

    sim::FlarmEmulator device{line, test::flarmTestDevice()};
    kelvo::Flarm flarm;
};

std::shared_ptr<Declaration> lxDeclaration() {
    auto declared = std::make_shared<Declaration>();
    declared->setPilot1("Anna Flieger");
    declared->setGliderType("Discus 2");
    declared->setGliderID("D-4711");
    declared->setCompetitionClass(3);
    auto home = Waypoint::fromDegrees("HOME", 47.5, 8.25, 430);
    declared->setHomePoint(home);
    auto task = std::make_shared<Task>();
    task->addTurnpoint(std::make_shared<Turnpoint>(*home));
    task->addTurnpoint(std::make_shared<Turnpoint>(*Waypoint::fromDegrees("TP", 47, 8, 0)));
    task->addTurnpoint(std::make_shared<Turnpoint>(*home));
    declared->setTask(task);
    return declared;
}

// An LX recorder holding two flights, a database and a declaration.
class LXRig : public Rig {
  public:
    LXRig(sim::LinkKind link, double delayScale) : Rig(link, delayScale) {
        recorder.setIdentification("LX Nano\r\nVersion 2.10\r\nSN1234,HW5.1\r\nPilot:Hans");
        for (std::uint16_t number = 1; number <= 2; ++number) {
            sim::LXNativeFlightEncoder encoder;
            encoder.flightNumber(3).date(7, 10, 2009).origin(32700, 2850000, 495000);
            for (int i = 0; i < 200; ++i) encoder.fix(32700 + i, 2850000 + i, 495000 - i, 500, 520);
            sim::LXEmulatedFlight flight;
            flight.native = encoder.end().bytes();
            flight.flightNumber = number;
            recorder.addFlight(flight);
        }
        const std::vector<std::shared_ptr<Waypoint>> points = {
            Waypoint::fromDegrees("HOME", 47.5, 8.25, 430),
            Waypoint::fromDegrees("NORTH", 48.5, 8.25, 500),
            Waypoint::fromDegrees("EAST", 47.5, 9.25, 600)};
        auto route = std::make_shared<Route>();
        route->setValue("R", points);
        recorder.setDatabase(points, {route});
        recorder.setDeclaration(*lxDeclaration());
    }

    void applyFault(Fault fault, const Row& row) override {
        if (fault == Fault::Silence) recorder.setSilent(true);
        if (fault == Fault::WrongCrc) {
            if (row.operation == readDirectory) recorder.corruptDirectoryRecord(1);
            recorder.corruptCrcOf(row.crcReply);
        }
        if (fault == Fault::DroppedLine) recorder.dropLineAfter(row.dropAfter);
    }

  private:
    Logger& logger() override { return lx; }
    void readBefore(Operation operation) override {
        if (operation == readFile) {
            lx.readDirectory(false);
            EXPECT_EQ(lx.loggerData().flightDirectory().size(), 2u);
        }
        // A write puts back only what was read whole before the fault strikes.
        if (operation == writeDatabaseAndDeclaration) {
            EXPECT_TRUE(lx.readWaypoints(false).ok());
            EXPECT_TRUE(lx.readDeclaration(false).ok());
        }
    }
    kelvo::Outcome download(const std::filesystem::path& target) override {
        return lx.readFile(target, 1, true, false, &lx.loggerData().flightDirectory()[1]);
    }
    std::shared_ptr<Declaration> declarationToWrite() override { return lxDeclaration(); }
    // The declaration block carries the time it was entered: only its size is compared.
    std::string recorderHolds() override {
        const Bytes database = recorder.database();
        return std::string(database.begin(), database.end()) + '|' +
               std::to_string(recorder.declaration().size()) + '|' + recorder.className();
    }

    sim::LXRecorderEmulator recorder{line, 38400};
    LXLogger lx;
};

sim::VolksloggerMemory volksloggerMemory() {
    sim::VolksloggerMemory memory;
    memory.flights.push_back(sim::syntheticFlight(*utcTime(2005, 7, 14, 12, 30, 0), 1800, 5));
    memory.flights.push_back(sim::syntheticFlight(*utcTime(2005, 7, 14, 15, 0, 0), 600, 5));
    vl::VLAPI_DATA::WPT point;
    std::snprintf(point.name, sizeof point.name, "HOME");
    point.lat = 47.5;
    point.lon = 8.25;
    memory.database.waypoints = {point};
    std::snprintf(memory.database.declaration.pilot, sizeof memory.database.declaration.pilot,
                  "ERIKA");
    return memory;
}

// A Volkslogger holding two flights and a database. One Volkslogger connection per process:
// one rig at a time.
class VolksloggerRig : public Rig {
  public:
    using Rig::Rig;
    void applyFault(Fault fault, const Row&) override {
        using EmulatorFault = sim::VolksloggerEmulator::Fault;
        if (fault == Fault::Silence) recorder.setFault(EmulatorFault::Silent);
        if (fault == Fault::WrongCrc) recorder.setFault(EmulatorFault::WrongCrc);
        if (fault == Fault::DroppedLine) recorder.setFault(EmulatorFault::DropMidBlock);
    }

  private:
    Logger& logger() override { return vl; }
    // A write puts back the whole database image: it is read before the fault strikes.
    void readBefore(Operation operation) override {
        if (operation == writeDatabaseAndDeclaration) {
            EXPECT_TRUE(vl.readWaypoints(false).ok());
        }
    }
    kelvo::Outcome download(const std::filesystem::path& target) override {
        return vl.readFile(target, 1, true, true, nullptr);
    }
    std::shared_ptr<Declaration> declarationToWrite() override {
        auto declaration = std::make_shared<Declaration>();
        declaration->setPilot1("ANNA");
        return declaration;
    }
    std::string recorderHolds() override {
        const Bytes image = recorder.databaseImage();
        return std::to_string(recorder.flightCount()) + '|' + std::string(image.begin(), image.end());
    }

    sim::VolksloggerEmulator recorder{line, volksloggerMemory()};
    kelvo::Volkslogger vl;
};

// An LXNAV Nano3 holding two small demo flights and the demo declaration.
class LXNAVRig : public Rig {
  public:
    using Rig::Rig;
    void applyFault(Fault fault, const Row& row) override {
        if (fault == Fault::Silence) recorder.setSilent(true);
        if (fault == Fault::WrongCrc) recorder.setWrongChecksum(true);
        if (fault == Fault::DroppedLine) recorder.dropLineInTransferAfter(row.dropAfter);
    }

  private:
    static sim::LXNAVEmulatorConfig config() {
        sim::LXNAVEmulatorConfig config =
            sim::demoLXNAVConfig(sim::DemoContent::make(sim::DemoSize::Small, 2));
        config.fileOpenTime = Milliseconds(100);
        return config;
    }
    Logger& logger() override { return lxnav; }
    void readBefore(Operation operation) override {
        if (operation == readFile) {
            EXPECT_TRUE(lxnav.readDirectory(false).ok());
        }
        if (operation == writeDatabaseAndDeclaration) {
            EXPECT_TRUE(lxnav.readDeclaration(false).ok());
        }
    }
    kelvo::Outcome download(const std::filesystem::path& target) override {
        return lxnav.readFile(target, 2, true, true, nullptr);
    }
    std::shared_ptr<Declaration> declarationToWrite() override { return lxDeclaration(); }
    // The task's first row carries the time it was declared: it is left out.
    std::string recorderHolds() override {
        std::string rows;
        for (const std::string& row : recorder.declaration()) {
            if (!(row.size() == 25 && row[0] == 'C' && row.find('N') == std::string::npos))
                rows += row + '|';
        }
        return rows;
    }

    sim::LXNAVEmulator recorder{line, config()};
    LXNAVLogger lxnav;
};

std::unique_ptr<Rig> makeRig(Family family, Operation operation,
                             sim::LinkKind link = sim::LinkKind::Plain,
                             double delayScale = kDelayScale) {
    std::unique_ptr<Rig> rig;
    if (family == Flarm) rig = std::make_unique<FlarmRig>(link, delayScale);
    if (family == LX) rig = std::make_unique<LXRig>(link, delayScale);
    if (family == Volkslogger) rig = std::make_unique<VolksloggerRig>(link, delayScale);
    if (family == LXNAV) rig = std::make_unique<LXNAVRig>(link, delayScale);
    rig->prepare(operation);
    return rig;
}

const char* fileNameOf(Family family) {
    constexpr const char* kNames[] = {"87JX0014.IGC", "9A7L0023.LXN", "57EA0YA2.IGC",
                                      "662L3F11.IGC"};
    return kNames[static_cast<int>(family)];
}

// What one operation did under a fault.
struct CaseResult {
    kelvo::Outcome outcome;
    Milliseconds took{0};
    std::vector<std::string> log;
};

CaseResult runOperation(Rig& rig, Operation operation, const std::filesystem::path& target) {
    CapturingLogSink log;
    const auto start = Clock::now();
    CaseResult result;
    result.outcome = rig.run(operation, target);
    result.took = std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
    result.log = log.lines();
    return result;
}

// One line of the table that the matrix prints: driver, operation, fault, time, result.
void recordRow(const Row& row, Fault fault, const CaseResult& result) {
    const char* outcome = !result.outcome.ok()         ? "failure"
                          : row.check == Exact  ? "success, data verified"
                          : row.check == Prefix ? "records verified (prefix)"
                                                : "taken as received";
    std::printf("FAULT-MATRIX | %s | %s | %s | %lld ms | %s |\n",
                kFamilyNames[static_cast<int>(row.family)],
                kOperationNames[static_cast<int>(row.operation)],
                kFaultNames[static_cast<int>(fault)], static_cast<long long>(result.took.count()),
                outcome);
    std::fflush(stdout);
}

class FaultMatrix : public testing::TestWithParam<std::tuple<Row, Fault>> {};

TEST_P(FaultMatrix, EndsInTimeWithFailureOrVerifiedDataAndKeepsEarlierFile) {
    const auto& [row, fault] = GetParam();
    const std::string fileName = fileNameOf(row.family);
    OutputFolder folder(fileName);
    CaseResult result;
    std::string delivered;
    {
        auto rig = makeRig(row.family, row.operation);
        rig->applyFault(fault, row);
        std::optional<LineNoise> noise;
        if (fault == Fault::Noise) noise.emplace(rig->line);
        result = runOperation(*rig, row.operation, folder.target());
        noise.reset();
        delivered = rig->delivered(row.operation, folder);
    }
    recordRow(row, fault, result);

    EXPECT_LE(result.took, scaledBound(row.realBound, fault));
    if (!result.outcome.ok()) {
        EXPECT_EQ(result.outcome.kind(), kelvo::Outcome::Kind::Failure);
        EXPECT_FALSE(result.outcome.reason().empty()) << "failed without a reason";
        EXPECT_FALSE(result.log.empty()) << "failed without a log line";
        EXPECT_EQ(folder.contents(), OutputFolder::kEarlierFile);
    }
    if (row.detects(fault)) {
        EXPECT_FALSE(result.outcome.ok()) << "a fault the operation checks for was let through";
    }
    if (result.outcome.ok() && row.check != None) {
        // What an operation took under a fault must be what it takes from a sound line.
        // (Some drivers allow one connection per process: the faulty rig is gone by now.)
        OutputFolder soundFolder(fileName);
        auto sound = makeRig(row.family, row.operation);
        sound->run(row.operation, soundFolder.target());
        const std::string expected = sound->delivered(row.operation, soundFolder);
        if (row.check == Exact) {
            EXPECT_EQ(delivered, expected);
        } else {
            EXPECT_EQ(expected.substr(0, delivered.size()), delivered);
        }
    }
    // No half-written or temporary file is left beside it.
    EXPECT_EQ(folder.entries(), std::vector<std::string>{fileName});
}

std::string caseName(const testing::TestParamInfo<std::tuple<Row, Fault>>& info) {
    const auto& [row, fault] = info.param;
    return std::string(kFamilyNames[static_cast<int>(row.family)]) + "_" +
           kOperationNames[static_cast<int>(row.operation)] + "_" +
           kFaultNames[static_cast<int>(fault)];
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, FaultMatrix,
                         testing::Combine(testing::ValuesIn(kMatrix), testing::ValuesIn(kAllFaults)),
                         caseName);

// Every operation over a USB adapter and over Bluetooth, on a sound line: it succeeds and
// delivers what it delivers over a plain line (the same file byte for byte, the declaration
// as written), although the link holds bytes back and stalls now and then.
class FaultMatrixOverLink : public testing::TestWithParam<std::tuple<Row, sim::LinkKind>> {};

TEST_P(FaultMatrixOverLink, DeliversWhatAPlainLineDelivers) {
    const auto& [row, link] = GetParam();
    const std::string fileName = fileNameOf(row.family);
    OutputFolder folder(fileName);
    CaseResult result;
    std::string delivered;
    {
        auto rig = makeRig(row.family, row.operation, link, kLinkDelayScale);
        result = runOperation(*rig, row.operation, folder.target());
        delivered = rig->delivered(row.operation, folder);
    }
    std::printf("FAULT-MATRIX | %s | %s | %s link | %lld ms |\n",
                kFamilyNames[static_cast<int>(row.family)],
                kOperationNames[static_cast<int>(row.operation)],
                kLinkNames[static_cast<int>(link)], static_cast<long long>(result.took.count()));
    ASSERT_TRUE(result.outcome.ok()) << result.outcome.reason();
    EXPECT_LE(result.took, row.realBound);
    OutputFolder plainFolder(fileName);
    auto plain = makeRig(row.family, row.operation, sim::LinkKind::Plain, kLinkDelayScale);
    ASSERT_TRUE(plain->run(row.operation, plainFolder.target()).ok());
    EXPECT_EQ(delivered, plain->delivered(row.operation, plainFolder));
}

std::vector<std::tuple<Row, sim::LinkKind>> rowsOverLinks() {
    std::vector<std::tuple<Row, sim::LinkKind>> rows;
    for (const Row& row : kMatrix) {
        if (std::ranges::find(kFamiliesOverLinks, row.family) == std::end(kFamiliesOverLinks))
            continue;
        for (const sim::LinkKind link : kLinks) rows.emplace_back(row, link);
    }
    return rows;
}

std::string overLinkName(const testing::TestParamInfo<std::tuple<Row, sim::LinkKind>>& info) {
    const auto& [row, link] = info.param;
    return std::string(kFamilyNames[static_cast<int>(row.family)]) + "_" +
           kOperationNames[static_cast<int>(row.operation)] + "_" +
           kLinkNames[static_cast<int>(link)];
}

INSTANTIATE_TEST_SUITE_P(SoundLine, FaultMatrixOverLink, testing::ValuesIn(rowsOverLinks()),
                         overLinkName);

// How soon after the request a cancelled operation must have ended, with the recorder put
// back in order.
constexpr Milliseconds kCancelBound{1000};

// Each long operation, cancelled early or half-way through on a sound line, must answer
// cancelled within the bound (or have finished before the request), leave the earlier file
// and no other behind, and leave the recorder usable: the same operation then runs to its end.
struct CancelledCase {
    Family family;
    Operation operation;
    Milliseconds after;
};

void PrintTo(const CancelledCase& cancelled, std::ostream* out) {
    *out << kFamilyNames[static_cast<int>(cancelled.family)] << ' '
         << kOperationNames[static_cast<int>(cancelled.operation)] << " after "
         << cancelled.after.count() << " ms";
}

class Cancellation : public testing::TestWithParam<CancelledCase> {};

TEST_P(Cancellation, StopsInOrderAndLeavesTheRecorderUsable) {
    const auto [family, operation, after] = GetParam();
    OutputFolder folder(fileNameOf(family));
    auto rig = makeRig(family, operation);
    std::atomic<Clock::rep> requestedAt{0};
    std::thread canceller([&, after = after] {
        std::this_thread::sleep_for(after);
        requestedAt = Clock::now().time_since_epoch().count();
        requestCancellation();
    });
    const CaseResult result = runOperation(*rig, operation, folder.target());
    const auto endedAt = Clock::now();
    canceller.join();
    clearCancellation();
    if (result.outcome.kind() == kelvo::Outcome::Kind::Cancelled) {
        const Clock::time_point requested{Clock::duration(requestedAt.load())};
        EXPECT_LE(endedAt - requested, kCancelBound + kSchedulingMargin);
        EXPECT_EQ(folder.contents(), OutputFolder::kEarlierFile);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{fileNameOf(family)});
    } else {
        EXPECT_TRUE(result.outcome.ok()) << result.outcome.reason();
    }
    EXPECT_TRUE(rig->run(operation, folder.target()).ok()) << "the recorder was left unusable";
}

std::vector<CancelledCase> cancelledCases() {
    std::vector<CancelledCase> cases;
    for (const Family family : {Flarm, LX, Volkslogger, LXNAV}) {
        for (const Operation operation : {readDirectory, readFile, readWaypoints}) {
            // Flarm and LXNAV hold none
            if ((family == Flarm || family == LXNAV) && operation == readWaypoints) continue;
            for (const int after : {30, 120}) cases.push_back({family, operation, Milliseconds(after)});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(LongOperations, Cancellation, testing::ValuesIn(cancelledCases()),
                         [](const auto& info) {
                             return std::string(kFamilyNames[static_cast<int>(info.param.family)]) +
                                    "_" + kOperationNames[static_cast<int>(info.param.operation)] +
                                    "_" + std::to_string(info.param.after.count()) + "ms";
                         });

}  // namespace
}  // namespace kelvo::faults
