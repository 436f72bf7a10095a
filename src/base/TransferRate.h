#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvo {

// How fast a transfer goes and how long it still takes, from its progress reports: the
// bytes moved so far and, when the total is known, the fraction done.
class TransferRate {
  public:
    using Clock = std::chrono::steady_clock;

    explicit TransferRate(Clock::time_point start = Clock::now()) : m_start(start) {}

    void update(std::uint64_t bytes, std::optional<double> fraction, Clock::time_point now = Clock::now());

    // [bytes/s] over the transfer so far; 0 before a byte has moved.
    double bytesPerSecond() const;
    // Nothing while the fraction is unknown or nothing has moved yet.
    std::optional<std::chrono::seconds> remaining() const;
    // "1.9 kB/s, 0:42 left", or only the rate while the total is unknown.
    std::string text() const;

  private:
    Clock::time_point m_start;
    Clock::duration m_elapsed{};
    std::uint64_t m_bytes = 0;
    std::optional<double> m_fraction;
};

}  // namespace kelvo
