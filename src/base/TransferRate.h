#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace kelvo {

// How fast a transfer goes and how long it still takes, from its progress reports: the
// bytes received so far and, when the total is known, the fraction done. The rate is that
// of the last few seconds of reports, so the wait before the first byte and the bursts of
// a paced line do not distort it. Fewer bytes than the last report begin a new transfer
// (the next flight of a batch).
class TransferRate {
  public:
    using Clock = std::chrono::steady_clock;
    // The span of reports the rate is measured over.
    static constexpr std::chrono::seconds kWindow{5};

    void update(std::uint64_t bytes, std::optional<double> fraction, Clock::time_point now = Clock::now());

    // [bytes/s] over the window; 0 until two reports lie apart in time.
    double bytesPerSecond() const;
    // The bytes still to come at the current rate; nothing while the fraction or the rate
    // is unknown.
    std::optional<std::chrono::seconds> remaining() const;
    // "1.9 kB/s, 0:42 left", or only the rate while the time left is unknown.
    std::string text() const;

  private:
    struct Report {
        Clock::time_point time;
        std::uint64_t bytes = 0;
    };
    std::deque<Report> m_reports;  // oldest first; the oldest at most one report beyond the window
    std::optional<double> m_fraction;
};

}  // namespace kelvo
