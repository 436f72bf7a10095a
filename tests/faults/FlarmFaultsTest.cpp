#include <gtest/gtest.h>

#include <sstream>

#include "../LoggerAccess/Flarm/FlarmTestDevice.h"
#include "FaultMatrix.h"
#include "LoggerAccess/Flarm/Flarm.h"
#include "base/Delay.h"
#include "geo/Declaration.h"

namespace kelvo::faults {
namespace {

enum class Operation { connect, readInfo, readDirectory, readFile, readDeclaration };

// A Flarm device with four recorded flights, with the driver on the other end of the line.
struct FlarmRig {
    explicit FlarmRig(Operation operation) {
        if (operation != Operation::connect) {
            EXPECT_TRUE(connectLikeTheController([&] { return flarm.connect(line.slavePath()).ok(); }));
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
            case Operation::readDeclaration:
                return "readDeclaration";
        }
        return "?";
    }

    // With every wait at its real length: the speed search tries 25 speeds for a second
    // each; a text query examines 10 lines 100 ms apart; a binary answer is awaited 0.5 s
    // (an IGC piece 1 s) and a download ends after 10 empty pieces.
    static std::chrono::seconds realBound(Operation operation) {
        using std::chrono::seconds;
        switch (operation) {
            case Operation::connect:
                return seconds(30);
            case Operation::readInfo:
                return seconds(15);
            case Operation::readDirectory:
                return seconds(15);
            case Operation::readFile:
                return seconds(20);
            case Operation::readDeclaration:
                return seconds(15);
        }
        return seconds(0);
    }

    // Text answers are taken as received; the flight list is a record per frame.
    static Check check(Operation operation) {
        switch (operation) {
            case Operation::readInfo:
            case Operation::readDeclaration:
                return Check::None;
            case Operation::readDirectory:
                return Check::Prefix;
            default:
                return Check::Exact;
        }
    }

    // Text answers carry no checksum the driver checks, so a wrong CRC touches only the
    // binary frames of the flight list and the download.
    static bool detects(Operation operation, Fault fault) {
        switch (fault) {
            case Fault::Noise:
                return false;
            case Fault::WrongCrc:
                return operation == Operation::readDirectory || operation == Operation::readFile;
            case Fault::Silence:
                return true;
            case Fault::DroppedLine:
                return operation == Operation::connect || operation == Operation::readFile;
        }
        return false;
    }

    void applyFault(Fault fault, Operation operation) {
        switch (fault) {
            case Fault::Silence:
                device.setSilent(true);
                break;
            case Fault::WrongCrc:
                device.setWrongCrc(true);
                break;
            case Fault::DroppedLine:
                device.dropLineAfter(bytesBeforeDrop(operation));
                break;
            case Fault::Noise:
                break;
        }
    }

    // Inside the operation's main answer.
    static std::size_t bytesBeforeDrop(Operation operation) {
        switch (operation) {
            case Operation::connect:
                return 20;
            case Operation::readDirectory:
                return 15 + 80;
            case Operation::readFile:
                return 15 + 15 + 250;
            default:
                return 40;
        }
    }

    kelvo::Outcome run(Operation operation, const std::filesystem::path& target) {
        switch (operation) {
            case Operation::connect:
                return flarm.connect(line.slavePath());
            case Operation::readInfo:
                return flarm.readInfo();
            case Operation::readDirectory:
                return flarm.readDirectory(true);
            case Operation::readFile:
                return flarm.readFile(target, 3, true, true, nullptr);
            case Operation::readDeclaration:
                return flarm.readDeclaration(true);
        }
        return kelvo::Outcome::failure("no such operation");
    }

    std::string delivered(Operation operation, const OutputFolder& folder) {
        std::ostringstream out;
        switch (operation) {
            case Operation::connect:
                out << flarm.connected();
                break;
            case Operation::readInfo:
                for (const auto& [key, value] : flarm.loggerInfo())
                    out << key << '=' << value << ';';
                break;
            case Operation::readDirectory:
                for (const auto& entry : flarm.flightDirectory()) out << *entry.filename << ';';
                break;
            case Operation::readFile:
                out << folder.contents(folder.target()).value_or("");
                break;
            case Operation::readDeclaration: {
                const Declaration& declared = *flarm.declaration();
                out << declared.pilot1() << ';' << declared.gliderType() << ';'
                    << declared.gliderID() << ';' << declared.competitionID();
                break;
            }
        }
        return out.str();
    }

    ScopedDelayScale scale{kDelayScale};
    sim::PseudoTerminal line;
    sim::FlarmEmulator device{line, test::flarmTestDevice()};
    Flarm flarm;
};

using Case = std::tuple<Operation, Fault>;

class FlarmFaultMatrix : public testing::TestWithParam<Case> {};

TEST_P(FlarmFaultMatrix, EndsInTimeWithFailureOrVerifiedDataAndKeepsEarlierFile) {
    runCase<FlarmRig>("Flarm", std::get<0>(GetParam()), std::get<1>(GetParam()), "87JX0014.IGC");
}

constexpr auto testName = caseName<FlarmRig, Case>;

INSTANTIATE_TEST_SUITE_P(AllOperations, FlarmFaultMatrix,
                         testing::Combine(testing::Values(Operation::connect, Operation::readInfo,
                                                          Operation::readDirectory,
                                                          Operation::readFile,
                                                          Operation::readDeclaration),
                                          testing::ValuesIn(kAllFaults)),
                         testName);


// Each long operation cancelled early and half-way through.
class FlarmCancellation
    : public testing::TestWithParam<std::tuple<Operation, int>> {};

TEST_P(FlarmCancellation, StopsInOrderAndLeavesTheRecorderUsable) {
    runCancelledCase<FlarmRig>(std::get<0>(GetParam()), Milliseconds(std::get<1>(GetParam())),
                            "87JX0014.IGC");
}

INSTANTIATE_TEST_SUITE_P(LongOperations, FlarmCancellation,
                         testing::Combine(testing::Values(Operation::readDirectory, Operation::readFile),
                                          testing::Values(30, 120)));

}  // namespace
}  // namespace kelvo::faults
