#include "sim/SimulatedLink.h"

#include <algorithm>

namespace kelvo::sim {

namespace {

using namespace std::chrono_literals;

LinkProfile::Duration draw(std::mt19937_64& random, LinkProfile::Duration shortest,
                           LinkProfile::Duration longest) {
    const auto span = static_cast<std::uint64_t>(std::max(longest - shortest, 0ms).count());
    return shortest + LinkProfile::Duration(random() % (span + 1));
}

}  // namespace

std::optional<LinkKind> linkNamed(const std::string& name) {
    if (name == "plain") return LinkKind::Plain;
    if (name == "usb") return LinkKind::Usb;
    if (name == "bluetooth") return LinkKind::Bluetooth;
    return std::nullopt;
}

LinkProfile LinkProfile::of(LinkKind kind) {
    switch (kind) {
        case LinkKind::Plain:
            return {};
        case LinkKind::Usb:
            // The adapter's latency timer: what came in is passed on when it runs out.
            return {.packetInterval = 16ms};
        case LinkKind::Bluetooth:
            return {.packetInterval = 10ms,
                    .shortestDelay = 20ms,
                    .longestDelay = 80ms,
                    .shortestQuiet = 2000ms,
                    .longestQuiet = 5000ms,
                    .shortestStall = 300ms,
                    .longestStall = 600ms};
    }
    return {};
}

LinkShaper::LinkShaper(LinkProfile profile, std::uint64_t seed, Clock::time_point start)
    : m_profile(profile), m_start(start), m_delays(seed), m_stalls(~seed) {
    if (m_profile.shortestQuiet > 0ms) scheduleNextStall(start);
}

LinkShaper::Clock::time_point LinkShaper::deliveryTime(Clock::time_point sent) {
    sent = std::max(sent, m_start);
    const std::int64_t packet =
        m_profile.packetInterval > 0ms ? (sent - m_start) / m_profile.packetInterval : -1;
    if (packet < 0 || packet != m_packet) {
        m_packet = packet;
        const auto due =
            departureOf(sent) + draw(m_delays, m_profile.shortestDelay, m_profile.longestDelay);
        m_packetArrival = std::max(afterStalls(due), m_lastArrival);
        m_lastArrival = m_packetArrival;
    }
    return m_packetArrival;
}

// A packet leaves when its interval is over.
LinkShaper::Clock::time_point LinkShaper::departureOf(Clock::time_point sent) {
    if (m_profile.packetInterval <= 0ms) return sent;
    return m_start + m_profile.packetInterval * (*m_packet + 1);
}

LinkShaper::Clock::time_point LinkShaper::afterStalls(Clock::time_point due) {
    while (due >= m_stallEnd) scheduleNextStall(m_stallEnd);
    return due >= m_stallStart ? m_stallEnd : due;
}

void LinkShaper::scheduleNextStall(Clock::time_point after) {
    m_stallStart = after + draw(m_stalls, m_profile.shortestQuiet, m_profile.longestQuiet);
    m_stallEnd = m_stallStart + draw(m_stalls, m_profile.shortestStall, m_profile.longestStall);
}

}  // namespace kelvo::sim
