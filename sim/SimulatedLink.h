#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace kelvo::sim {

// The link between a recorder and the host, as it shapes what the recorder sends.
enum class LinkKind {
    Plain,      // a serial line or pseudo-terminal: bytes arrive as they are sent
    Usb,        // a USB serial adapter: its latency timer passes bytes on every 16 ms
    Bluetooth,  // a Bluetooth serial link: packets late by 20-80 ms, stalls now and then
};

// "plain", "usb", "bluetooth"; nothing for another name.
std::optional<LinkKind> linkNamed(const std::string& name);

// How a link delays what the recorder sends. What is sent within one packet interval (on a
// grid from the link's start) travels as one packet, which leaves at the end of its interval
// plus a delay drawn for it, and never before the packet before it. Now and then the link
// stalls: a packet due inside a stall arrives at its end.
struct LinkProfile {
    using Duration = std::chrono::milliseconds;
    Duration packetInterval{0};  // 0: each hand-over is its own packet, sent at once
    Duration shortestDelay{0};
    Duration longestDelay{0};
    Duration shortestQuiet{0};  // between stalls; 0: the link never stalls
    Duration longestQuiet{0};
    Duration shortestStall{0};
    Duration longestStall{0};

    static LinkProfile of(LinkKind kind);
};

// The schedule of one link: when bytes that the recorder hands to the link at a time reach
// the host. Random delays and stalls come from a generator seeded with the seed, one stream
// for each, so the same seed gives the same delays packet by packet and the same stalls at
// the same times after the start. Not thread-safe: the caller that sends owns it.
class LinkShaper {
  public:
    using Clock = std::chrono::steady_clock;

    LinkShaper(LinkProfile profile, std::uint64_t seed, Clock::time_point start);

    // The times given must not go back.
    Clock::time_point deliveryTime(Clock::time_point sent);

  private:
    Clock::time_point departureOf(Clock::time_point sent);
    Clock::time_point afterStalls(Clock::time_point due);
    void scheduleNextStall(Clock::time_point after);

    LinkProfile m_profile;
    Clock::time_point m_start;
    std::mt19937_64 m_delays;
    std::mt19937_64 m_stalls;
    std::optional<std::int64_t> m_packet;  // the interval of the packet being filled
    Clock::time_point m_packetArrival{};
    Clock::time_point m_lastArrival{};
    Clock::time_point m_stallStart = Clock::time_point::max();
    Clock::time_point m_stallEnd = Clock::time_point::max();
};

}  // namespace kelvo::sim
