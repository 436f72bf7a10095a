#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "FaultMatrix.h"
#include "LoggerAccess/Volkslogger/Volkslogger.h"
#include "base/Delay.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"

namespace kelvo::faults {
namespace {

using EmulatorFault = sim::VolksloggerEmulator::Fault;

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

sim::VolksloggerMemory recorderMemory() {
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

// A Volkslogger holding two flights and a database, with the driver on the other end of
// the line. One Volkslogger connection per process: one rig at a time.
struct VolksloggerRig {
    explicit VolksloggerRig(Operation operation) {
        if (operation != Operation::connect) {
            EXPECT_TRUE(connectLikeTheController([&] { return logger.connect(line.slavePath()).ok(); }));
        }
        // A write puts back the whole database image: it is read before the fault strikes.
        if (operation == Operation::writeDatabaseAndDeclaration) {
            EXPECT_TRUE(logger.readWaypoints(false).ok());
        }
    }

    static const char* operationName(Operation operation) {
        switch (operation) {
            case Operation::connect:
                return "connect";
            case Operation::readInfo:
                return "readInfo";
            case Operation::readDirectory:
                return "readDirectory";
            case Operation::readFile:
                return "readFile";
            case Operation::clearDirectory:
                return "clearDirectory";
            case Operation::readWaypoints:
                return "readWaypoints";
            case Operation::readDeclaration:
                return "readDeclaration";
            case Operation::writeDatabaseAndDeclaration:
                return "writeDatabaseAndDeclaration";
        }
        return "?";
    }

    // With every wait at its real length: a silent recorder is given up after the 4 and
    // 10 second wake-up attempts of each operation, a command reply after 4 s, a block
    // after 20 s of silence; erasing waits 15 s. Writing adds the paced upload of the
    // 16 kB image, which no delay scale shortens.
    static std::chrono::seconds realBound(Operation operation) {
        using std::chrono::seconds;
        switch (operation) {
            case Operation::connect:
                return seconds(10);
            case Operation::writeDatabaseAndDeclaration:
                return seconds(120);
            default:
                return seconds(60);
        }
    }

    // Every reply the operations take is a CRC-checked block.
    static Check check(Operation) { return Check::Exact; }

    // The recorder's replies are CRC-checked blocks except the wake-up handshake; every
    // fault but noise must fail the operations that read or write a block.
    static bool detects(Operation operation, Fault fault) {
        if (fault == Fault::Noise) return false;
        if (operation == Operation::connect || operation == Operation::clearDirectory) {
            return fault == Fault::Silence;
        }
        return true;
    }

    void applyFault(Fault fault, Operation) {
        switch (fault) {
            case Fault::Silence:
                recorder.setFault(EmulatorFault::Silent);
                break;
            case Fault::WrongCrc:
                recorder.setFault(EmulatorFault::WrongCrc);
                break;
            case Fault::DroppedLine:
                recorder.setFault(EmulatorFault::DropMidBlock);
                break;
            case Fault::Noise:
                break;
        }
    }

    kelvo::Outcome run(Operation operation, const std::filesystem::path& target) {
        switch (operation) {
            case Operation::connect:
                return logger.connect(line.slavePath());
            case Operation::readInfo:
                return logger.readInfo();
            case Operation::readDirectory:
                return logger.readDirectory(true);
            case Operation::readFile:
                return logger.readFile(target, 1, true, true, nullptr);
            case Operation::clearDirectory:
                return logger.clearDirectory();
            case Operation::readWaypoints:
                return logger.readWaypoints(true);
            case Operation::readDeclaration:
                return logger.readDeclaration(true);
            case Operation::writeDatabaseAndDeclaration: {
                logger.setWaypoints({Waypoint::fromDegrees("NEW", 46, 7, 0)});
                auto declaration = std::make_shared<Declaration>();
                declaration->setPilot1("ANNA");
                logger.setDeclaration(declaration);
                return logger.writeDatabaseAndDeclaration();
            }
        }
        return kelvo::Outcome::failure("no such operation");
    }

    std::string delivered(Operation operation, const OutputFolder& folder) {
        std::ostringstream out;
        switch (operation) {
            case Operation::connect:
                out << logger.connected();
                break;
            case Operation::readInfo:
                for (const auto& [key, value] : logger.loggerInfo())
                    out << key << '=' << value << ';';
                break;
            case Operation::readDirectory:
                for (const auto& entry : logger.flightDirectory()) out << *entry.filename << ';';
                break;
            case Operation::readFile:
                out << folder.contents(folder.target()).value_or("");
                break;
            case Operation::clearDirectory:
                out << recorder.flightCount();
                break;
            case Operation::readWaypoints:
                for (const auto& waypoint : logger.waypoints()) out << waypoint->name() << ';';
                break;
            case Operation::readDeclaration:
                out << logger.declaration()->pilot1();
                break;
            case Operation::writeDatabaseAndDeclaration: {
                const Bytes image = recorder.databaseImage();
                out << std::string(image.begin(), image.end());
                break;
            }
        }
        return out.str();
    }

    ScopedDelayScale scale{kDelayScale};
    sim::PseudoTerminal line;
    sim::VolksloggerEmulator recorder{line, recorderMemory()};
    Volkslogger logger;
};

using Case = std::tuple<Operation, Fault>;

class VolksloggerFaultMatrix : public testing::TestWithParam<Case> {};

TEST_P(VolksloggerFaultMatrix, EndsInTimeWithFailureOrVerifiedDataAndKeepsEarlierFile) {
    runCase<VolksloggerRig>("Volkslogger", std::get<0>(GetParam()), std::get<1>(GetParam()),
                            "57EA0YA2.IGC");
}

constexpr auto testName = caseName<VolksloggerRig, Case>;

INSTANTIATE_TEST_SUITE_P(
    AllOperations, VolksloggerFaultMatrix,
    testing::Combine(testing::Values(Operation::connect, Operation::readInfo,
                                     Operation::readDirectory, Operation::readFile,
                                     Operation::clearDirectory, Operation::readWaypoints,
                                     Operation::readDeclaration,
                                     Operation::writeDatabaseAndDeclaration),
                     testing::ValuesIn(kAllFaults)),
    testName);


// Each long operation cancelled early and half-way through.
class VolksloggerCancellation
    : public testing::TestWithParam<std::tuple<Operation, int>> {};

TEST_P(VolksloggerCancellation, StopsInOrderAndLeavesTheRecorderUsable) {
    runCancelledCase<VolksloggerRig>(std::get<0>(GetParam()), Milliseconds(std::get<1>(GetParam())),
                            "57EA0YA2.IGC");
}

INSTANTIATE_TEST_SUITE_P(LongOperations, VolksloggerCancellation,
                         testing::Combine(testing::Values(Operation::readDirectory, Operation::readFile,
                                                          Operation::readWaypoints),
                                          testing::Values(30, 120)));

}  // namespace
}  // namespace kelvo::faults
