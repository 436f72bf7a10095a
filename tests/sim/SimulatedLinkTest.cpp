#include "sim/SimulatedLink.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LoggerAccess/TerminalPort.h"
#include "sim/MemoryPort.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::sim {
namespace {

using namespace std::chrono_literals;
using Clock = LinkShaper::Clock;

// A recorder sending at 19200 baud without a pause for half a minute: one byte every
// 521 microseconds, each with the time it reaches the host.
struct Stream {
    std::vector<Clock::time_point> sent;
    std::vector<Clock::time_point> arrived;
};

Stream stream(LinkKind kind, std::uint64_t seed) {
    const Clock::time_point start{};
    LinkShaper link(LinkProfile::of(kind), seed, start);
    Stream bytes;
    for (auto at = start; at < start + 30s; at += 521us) {
        bytes.sent.push_back(at);
        bytes.arrived.push_back(link.deliveryTime(at));
    }
    return bytes;
}

// The pauses between arrivals longer than the link's packet delays: its stalls.
std::vector<Clock::duration> stallsIn(const Stream& bytes) {
    std::vector<Clock::duration> stalls;
    for (std::size_t i = 1; i < bytes.arrived.size(); ++i) {
        const auto gap = bytes.arrived[i] - bytes.arrived[i - 1];
        if (gap > 100ms) stalls.push_back(gap);
    }
    return stalls;
}

TEST(SimulatedLink, UsbPassesBytesOnEvery16MillisecondsInTheOrderSent) {
    const Stream bytes = stream(LinkKind::Usb, 1);
    for (std::size_t i = 0; i < bytes.sent.size(); ++i) {
        const auto arrived = bytes.arrived[i].time_since_epoch();
        EXPECT_EQ(arrived % 16ms, 0ms) << i;  // on the adapter's timer
        EXPECT_GT(bytes.arrived[i], bytes.sent[i]) << i;
        EXPECT_LE(bytes.arrived[i] - bytes.sent[i], 16ms) << i;
    }
    EXPECT_TRUE(stallsIn(bytes).empty());
}

TEST(SimulatedLink, BluetoothDelaysEveryPacketAndStallsEveryFewSeconds) {
    const Stream bytes = stream(LinkKind::Bluetooth, 7);
    for (std::size_t i = 0; i < bytes.sent.size(); ++i) {
        EXPECT_GE(bytes.arrived[i] - bytes.sent[i], 20ms) << i;
        EXPECT_LE(bytes.arrived[i] - bytes.sent[i], 600ms + 80ms + 10ms) << i;
        if (i > 0) {
            EXPECT_GE(bytes.arrived[i], bytes.arrived[i - 1]) << i;
        }
    }
    // Half a minute holds a stall every 2.3 to 5.6 seconds.
    const auto stalls = stallsIn(bytes);
    EXPECT_GE(stalls.size(), 5u);
    EXPECT_LE(stalls.size(), 13u);
    for (const auto stall : stalls) {
        EXPECT_GE(stall, 300ms - 80ms);
        EXPECT_LE(stall, 600ms + 80ms);
    }
}

TEST(SimulatedLink, TheSameSeedGivesTheSameLinkAndAnotherOneAnother) {
    EXPECT_EQ(stream(LinkKind::Bluetooth, 3).arrived, stream(LinkKind::Bluetooth, 3).arrived);
    EXPECT_NE(stream(LinkKind::Bluetooth, 3).arrived, stream(LinkKind::Bluetooth, 4).arrived);
    EXPECT_EQ(linkNamed("usb"), LinkKind::Usb);
    EXPECT_EQ(linkNamed("bluetooth"), LinkKind::Bluetooth);
    EXPECT_EQ(linkNamed("serial"), std::nullopt);
}

// On the wire, a link only ever makes bytes later: these bounds hold on a loaded machine.
TEST(SimulatedLink, PseudoTerminalAndMemoryPortDeliverNoSoonerThanTheLinkAllows) {
    PseudoTerminal usb;
    TerminalPort host;
    ASSERT_TRUE(host.open(usb.slavePath())) << host.lastError();
    const auto linked = Clock::now();
    usb.setLink(LinkKind::Usb, 1);
    ASSERT_TRUE(usb.write(std::string("ok")));
    std::uint8_t buffer[2] = {};
    EXPECT_EQ(host.readFully(buffer, 2s), 2u);
    EXPECT_GE(Clock::now() - linked, 16ms);  // the adapter's timer runs out first
    EXPECT_EQ(buffer[1], 'k');

    MemoryPort bluetooth;
    ASSERT_TRUE(bluetooth.open("rfcomm0"));
    bluetooth.setLink(LinkKind::Bluetooth, 1);
    const auto sent = Clock::now();
    bluetooth.sendToHost(ByteSpan(buffer, 2));
    EXPECT_EQ(bluetooth.readFully(buffer, 2s), 2u);
    EXPECT_GE(Clock::now() - sent, 20ms);
}

// An exchange is the host speaking first or again after the recorder sent: a question in
// two writes is one, each answer opens the next.
TEST(SimulatedLink, PseudoTerminalCountsTheExchangesOfAConversation) {
    PseudoTerminal recorder;
    TerminalPort host;
    ASSERT_TRUE(host.open(recorder.slavePath())) << host.lastError();
    const auto ask = [&](const std::string& question) {
        const Bytes bytes(question.begin(), question.end());
        ASSERT_EQ(host.write(bytes), bytes.size());
        std::size_t received = 0;
        while (received < bytes.size()) {
            const Bytes some = recorder.readSome(bytes.size() - received, 2000ms);
            ASSERT_FALSE(some.empty());
            received += some.size();
        }
    };
    ask("first");
    ask("-and more");
    EXPECT_EQ(recorder.exchanges(), 1u);
    ASSERT_TRUE(recorder.write(std::string("answer")));
    ask("second");
    EXPECT_EQ(recorder.exchanges(), 2u);
}

}  // namespace
}  // namespace kelvo::sim
