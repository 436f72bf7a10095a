#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "FaultMatrix.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "base/Delay.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/LX/LXRecorderEmulator.h"

namespace kelvo::faults {
namespace {

constexpr int kLineSpeed = 38400;
constexpr std::uint8_t kFirstFlightBlock = 0xE6;

enum class Operation {
    connect,
    readInfo,
    readDirectory,
    readFile,
    readWaypoints,
    readDeclaration,
    writeDatabaseAndDeclaration
};

Bytes nativeFlight(int fixes) {
    sim::LXNativeFlightEncoder flight;
    flight.flightNumber(3).date(7, 10, 2009).origin(32700, 2850000, 495000);
    for (int i = 0; i < fixes; ++i) flight.fix(32700 + i, 2850000 + i, 495000 - i, 500, 520);
    flight.end();
    return flight.bytes();
}

std::shared_ptr<Declaration> declaration() {
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

std::vector<std::shared_ptr<Waypoint>> waypoints() {
    return {Waypoint::fromDegrees("HOME", 47.5, 8.25, 430),
            Waypoint::fromDegrees("NORTH", 48.5, 8.25, 500),
            Waypoint::fromDegrees("EAST", 47.5, 9.25, 600)};
}

// A recorder holding two flights, a database and a declaration, with the driver on the
// other end of the line.
struct LXRig {
    explicit LXRig(Operation operation) {
        recorder.setIdentification("LX Nano\r\nVersion 2.10\r\nSN1234,HW5.1\r\nPilot:Hans");
        for (std::uint16_t number = 1; number <= 2; ++number) {
            sim::LXEmulatedFlight flight;
            flight.native = nativeFlight(200);
            flight.flightNumber = number;
            recorder.addFlight(flight);
        }
        auto points = waypoints();
        auto route = std::make_shared<Route>();
        route->setValue("R", {points[0], points[1], points[2]});
        recorder.setDatabase(points, {route});
        recorder.setDeclaration(*declaration());
        if (operation == Operation::connect) return;
        EXPECT_TRUE(connectLikeTheController([&] { return logger.connect(line.slavePath()).ok(); }));
        if (operation == Operation::readFile) {
            logger.readDirectory(false);
            EXPECT_EQ(logger.flightDirectory().size(), 2u);
        }
        // A write puts back only what was read whole before the fault strikes.
        if (operation == Operation::writeDatabaseAndDeclaration) {
            EXPECT_TRUE(logger.readWaypoints(false).ok());
            EXPECT_TRUE(logger.readDeclaration(false).ok());
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
                return logger.readFile(target, 1, true, false, &logger.flightDirectory()[1]);
            case Operation::readWaypoints:
                return logger.readWaypoints(true);
            case Operation::readDeclaration:
                return logger.readDeclaration(true);
            case Operation::writeDatabaseAndDeclaration:
                logger.setWaypoints({Waypoint::fromDegrees("NEW", 46, 7, 0)});
                logger.setDeclaration(declaration());
                return logger.writeDatabaseAndDeclaration();
        }
        return kelvo::Outcome::failure("no such operation");
    }

    // What the operation delivered, as text to compare with a run without faults.
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
            case Operation::readWaypoints:
                for (const auto& waypoint : logger.waypoints()) out << waypoint->name() << ';';
                for (const auto& route : logger.routes()) out << route->waypoints().size() << ';';
                break;
            case Operation::readDeclaration: {
                const Declaration& declared = *logger.declaration();
                out << declared.pilot1() << ';' << declared.gliderType() << ';'
                    << declared.gliderID() << ';'
                    << (declared.task() ? declared.task()->numOfTurnpoints() : 0);
                break;
            }
            case Operation::writeDatabaseAndDeclaration: {
                const Bytes database = recorder.database();
                // The declaration block carries the time it was entered.
                out << std::string(database.begin(), database.end()) << '|'
                    << recorder.declaration().size() << '|' << recorder.className();
                break;
            }
        }
        return out.str();
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
            case Operation::readWaypoints:
                return "readWaypoints";
            case Operation::readDeclaration:
                return "readDeclaration";
            case Operation::writeDatabaseAndDeclaration:
                return "writeDatabaseAndDeclaration";
        }
        return "?";
    }

    // How long each operation may take with every wait at its real length: the speed search
    // gives up after 10 s; the directory ends after three quiet 2-second reads; a block read
    // waits 0.1 s per missing byte once; the declaration write tries 15 synchronisations a
    // second apart.
    static std::chrono::seconds realBound(Operation operation) {
        using std::chrono::seconds;
        switch (operation) {
            case Operation::connect:
                return seconds(15);
            case Operation::readInfo:
                return seconds(5);
            case Operation::readDirectory:
                return seconds(20);
            case Operation::readFile:
                return seconds(20);
            case Operation::readWaypoints:
                return seconds(10);
            case Operation::readDeclaration:
                return seconds(10);
            case Operation::writeDatabaseAndDeclaration:
                return seconds(40);
        }
        return seconds(0);
    }

    // The identification reply carries nothing to check it by; the directory's records are
    // checked one by one.
    static Check check(Operation operation) {
        switch (operation) {
            case Operation::readInfo:
                return Check::None;
            case Operation::readDirectory:
                return Check::Prefix;
            default:
                return Check::Exact;
        }
    }

    // Silence and a line dropped inside a checked reply must fail every operation but the
    // ones that take records one by one; a wrong CRC only those that read a CRC-checked
    // block. Noise may be recovered from.
    static bool detects(Operation operation, Fault fault) {
        switch (fault) {
            case Fault::Noise:
                return false;
            case Fault::WrongCrc:
                return operation == Operation::readFile || operation == Operation::readWaypoints ||
                       operation == Operation::readDeclaration;
            case Fault::Silence:
                return true;
            case Fault::DroppedLine:
                return operation != Operation::readInfo && operation != Operation::readDirectory;
        }
        return false;
    }

    // Puts the fault on the line; noise comes from the test for as long as it lives.
    void applyFault(Fault fault, Operation operation) {
        switch (fault) {
            case Fault::Silence:
                recorder.setSilent(true);
                break;
            case Fault::WrongCrc:
                if (operation == Operation::readDirectory) recorder.corruptDirectoryRecord(1);
                recorder.corruptCrcOf(crcCheckedReply(operation));
                break;
            case Fault::DroppedLine:
                recorder.dropLineAfter(bytesBeforeDrop(operation));
                break;
            case Fault::Noise:
                break;
        }
    }

    // The command whose reply carries the CRC that the operation checks.
    static std::uint8_t crcCheckedReply(Operation operation) {
        switch (operation) {
            case Operation::readFile:
                return kFirstFlightBlock;
            case Operation::readWaypoints:
                return 0x52;
            case Operation::readDeclaration:
            case Operation::writeDatabaseAndDeclaration:
                return 0xC9;
            default:
                return 0xD1;  // the memory information
        }
    }

    // Bytes the recorder still sends before the line goes dead: inside the operation's
    // main reply.
    static std::size_t bytesBeforeDrop(Operation operation) {
        switch (operation) {
            case Operation::connect:
                return 1;
            case Operation::readInfo:
                return 1 + 20;
            case Operation::readDirectory:
                return 3 + 7 + 96 + 40;
            case Operation::readFile:
                return 10 + 1000;
            case Operation::readWaypoints:
                return 3 + 10000;
            case Operation::readDeclaration:
                return 3 + 200;
            case Operation::writeDatabaseAndDeclaration:
                return 2;
        }
        return 0;
    }

    ScopedDelayScale scale{kDelayScale};
    sim::PseudoTerminal line;
    sim::LXRecorderEmulator recorder{line, kLineSpeed};
    LXLogger logger;
};

using Case = std::tuple<Operation, Fault>;

class LXFaultMatrix : public testing::TestWithParam<Case> {};

TEST_P(LXFaultMatrix, EndsInTimeWithFailureOrVerifiedDataAndKeepsEarlierFile) {
    runCase<LXRig>("LX", std::get<0>(GetParam()), std::get<1>(GetParam()), "9A7L0023.LXN");
}

constexpr auto testName = caseName<LXRig, Case>;

INSTANTIATE_TEST_SUITE_P(
    AllOperations, LXFaultMatrix,
    testing::Combine(testing::Values(Operation::connect, Operation::readInfo,
                                     Operation::readDirectory, Operation::readFile,
                                     Operation::readWaypoints, Operation::readDeclaration,
                                     Operation::writeDatabaseAndDeclaration),
                     testing::ValuesIn(kAllFaults)),
    testName);


// Each long operation cancelled early and half-way through.
class LXCancellation
    : public testing::TestWithParam<std::tuple<Operation, int>> {};

TEST_P(LXCancellation, StopsInOrderAndLeavesTheRecorderUsable) {
    runCancelledCase<LXRig>(std::get<0>(GetParam()), Milliseconds(std::get<1>(GetParam())),
                            "9A7L0023.LXN");
}

INSTANTIATE_TEST_SUITE_P(LongOperations, LXCancellation,
                         testing::Combine(testing::Values(Operation::readDirectory, Operation::readFile,
                                                          Operation::readWaypoints),
                                          testing::Values(30, 120)));

}  // namespace
}  // namespace kelvo::faults
