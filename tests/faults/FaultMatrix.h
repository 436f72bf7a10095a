#pragma once

#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../LoggerAccess/TempFolder.h"
#include "LoggerAccess/Outcome.h"
#include "base/Cancellation.h"
#include "base/Log.h"
#include "sim/PseudoTerminal.h"

// The fault matrix: every operation of every driver against its emulator under each line
// fault. Every case must end within the operation's bound, answer a failure with its reason
// (or, where the protocol can recover, deliver exactly the right data), leave a log line,
// and leave an earlier output file as it was. Cancelled part-way on a sound line, a long
// operation ends soon after the request, answers cancelled, and leaves the recorder usable.
namespace kelvo::faults {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

enum class Fault { Silence, WrongCrc, DroppedLine, Noise };
inline constexpr Fault kAllFaults[] = {Fault::Silence, Fault::WrongCrc, Fault::DroppedLine,
                                       Fault::Noise};

inline const char* faultName(Fault fault) {
    switch (fault) {
        case Fault::Silence:
            return "Silence";
        case Fault::WrongCrc:
            return "WrongCrc";
        case Fault::DroppedLine:
            return "DroppedLine";
        case Fault::Noise:
            return "Noise";
    }
    return "?";
}

// Every device wait of the matrix runs at this fraction of its real length, so the bounds
// below are checked against scaled times plus a margin for a busy machine.
inline constexpr double kDelayScale = 0.05;
inline constexpr Milliseconds kSchedulingMargin{1500};

// Noise keeps a block read going until the read gives the block up as runaway, which is a
// matter of bytes, not of time: the largest (a Volkslogger flight) is about 170 kB, which
// the noise below delivers in about 5 s.
inline constexpr Milliseconds kNoiseRunaway{6000};

inline Milliseconds scaledBound(std::chrono::seconds realBound, Fault fault) {
    return std::chrono::duration_cast<Milliseconds>(realBound * kDelayScale) + kSchedulingMargin +
           (fault == Fault::Noise ? kNoiseRunaway : Milliseconds(0));
}

// The controller's connect: up to five attempts (the wake-up handshakes are short at the
// matrix's delay scale, and the machine may be busy).
template <typename Connect>
bool connectLikeTheController(Connect connect) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (connect()) return true;
    }
    return false;
}

// What one operation did under a fault.
struct CaseResult {
    kelvo::Outcome outcome;
    Milliseconds took{0};
    std::vector<std::string> log;
    bool succeeded() const { return outcome.ok(); }
};

inline CaseResult runOperation(const std::function<kelvo::Outcome()>& operation) {
    CapturingLogSink log;
    const auto start = Clock::now();
    CaseResult result;
    result.outcome = operation();
    result.took = std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
    result.log = log.lines();
    return result;
}

// How what an operation took under a fault is compared with what it takes from a sound
// line: exactly; as a prefix (a list of records each checked on its own, cut where the
// fault struck); or not at all (a reply with nothing to check it by, taken as received).
enum class Check { Exact, Prefix, None };

// One line of the table that the matrix prints: driver, operation, fault, time, result.
inline void recordRow(const std::string& driver, const std::string& operation, Fault fault,
                      const CaseResult& outcome, Check check) {
    const char* result = !outcome.succeeded()     ? "failure"
                         : check == Check::Exact  ? "success, data verified"
                         : check == Check::Prefix ? "records verified (prefix)"
                                                  : "taken as received";
    std::printf("FAULT-MATRIX | %s | %s | %s | %lld ms | %s |\n", driver.c_str(), operation.c_str(),
                faultName(fault), static_cast<long long>(outcome.took.count()), result);
    std::fflush(stdout);
}

// A target folder that already holds a good file from an earlier download.
class OutputFolder {
  public:
    static constexpr const char* kEarlierFile = "EARLIER GOOD FLIGHT\r\n";

    explicit OutputFolder(const std::string& name) : m_target(m_folder.write(name, kEarlierFile)) {}

    const std::filesystem::path& target() const { return m_target; }
    const std::filesystem::path& path() const { return m_folder.path(); }

    std::optional<std::string> contents(const std::filesystem::path& file) const {
        std::ifstream in(file, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Names of everything in the folder.
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
// no valid answer, landing between and inside the device's replies.
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
        std::uint8_t seed = 0x5A;
        while (!m_stop) {
            Bytes burst(64);
            for (std::uint8_t& byte : burst) {
                seed = static_cast<std::uint8_t>(seed * 37 + 11);
                byte = seed;
            }
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

// Runs one case of a driver's matrix. A Rig is a device emulator with its driver on the
// other end of a pseudo-terminal, prepared for the operation (connected unless the case is
// the connect itself); it knows its operations' names, bounds and reply checks:
//   Rig(operation), rig.line, rig.applyFault(fault, operation),
//   rig.run(operation, target) -> took anything, rig.delivered(operation, folder),
//   Rig::operationName(operation), Rig::realBound(operation), Rig::check(operation),
//   Rig::detects(operation, fault): the fault breaks a reply the operation checks, so the
//   operation must fail rather than recover.
template <typename Rig, typename Operation>
void runCase(const char* driver, Operation operation, Fault fault, const std::string& fileName) {
    OutputFolder folder(fileName);
    CaseResult outcome;
    std::string delivered;
    {
        Rig rig(operation);
        rig.applyFault(fault, operation);
        std::optional<LineNoise> noise;
        if (fault == Fault::Noise) noise.emplace(rig.line);
        outcome = runOperation([&] { return rig.run(operation, folder.target()); });
        noise.reset();
        delivered = rig.delivered(operation, folder);
    }
    const Check check = Rig::check(operation);
    recordRow(driver, Rig::operationName(operation), fault, outcome, check);

    EXPECT_LE(outcome.took, scaledBound(Rig::realBound(operation), fault));
    if (!outcome.succeeded()) {
        EXPECT_EQ(outcome.outcome.kind(), kelvo::Outcome::Kind::Failure);
        EXPECT_FALSE(outcome.outcome.reason().empty()) << "failed without a reason";
        EXPECT_FALSE(outcome.log.empty()) << "failed without a log line";
        EXPECT_EQ(folder.contents(folder.target()), OutputFolder::kEarlierFile);
    }
    if (Rig::detects(operation, fault)) {
        EXPECT_FALSE(outcome.succeeded()) << "a fault the operation checks for was let through";
    }
    if (outcome.succeeded() && check != Check::None) {
        // What an operation took under a fault must be what it takes from a sound line.
        // (Some drivers allow one connection per process: the faulty rig is gone by now.)
        OutputFolder soundFolder(fileName);
        Rig sound(operation);
        sound.run(operation, soundFolder.target());
        const std::string expected = sound.delivered(operation, soundFolder);
        if (check == Check::Exact) {
            EXPECT_EQ(delivered, expected);
        } else {
            EXPECT_EQ(expected.substr(0, delivered.size()), delivered);
        }
    }
    // No half-written or temporary file is left beside it.
    EXPECT_EQ(folder.entries(), std::vector<std::string>{fileName});
}

// How soon after the request a cancelled operation must have ended, with the recorder put
// back in order.
inline constexpr Milliseconds kCancelBound{1000};

// Cancels the operation on a sound line after the given time. It must answer cancelled
// within the bound (or have finished before the request), leave the earlier file and no
// other behind, and leave the recorder usable: the same operation then runs to its end.
template <typename Rig, typename Operation>
void runCancelledCase(Operation operation, Milliseconds after, const std::string& fileName) {
    OutputFolder folder(fileName);
    Rig rig(operation);
    std::atomic<Clock::rep> requestedAt{0};
    std::thread canceller([&] {
        std::this_thread::sleep_for(after);
        requestedAt = Clock::now().time_since_epoch().count();
        requestCancellation();
    });
    const CaseResult result = runOperation([&] { return rig.run(operation, folder.target()); });
    const auto endedAt = Clock::now();
    canceller.join();
    clearCancellation();
    if (result.outcome.kind() == kelvo::Outcome::Kind::Cancelled) {
        const Clock::time_point requested{Clock::duration(requestedAt.load())};
        EXPECT_LE(endedAt - requested, kCancelBound + kSchedulingMargin);
        EXPECT_EQ(folder.contents(folder.target()), OutputFolder::kEarlierFile);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{fileName});
    } else {
        EXPECT_TRUE(result.succeeded()) << result.outcome.reason();
    }
    EXPECT_TRUE(rig.run(operation, folder.target()).ok()) << "the recorder was left unusable";
}

// Test names of a matrix: operation_fault.
template <typename Rig, typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
    return std::string(Rig::operationName(std::get<0>(info.param))) + "_" +
           faultName(std::get<1>(info.param));
}

}  // namespace kelvo::faults
