#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace kelvo::flarm {

class serial;

// The speeds a Flarm can be set to, in the order the search tries them.
inline constexpr int kLineSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200};

// Finds the line speed at which the device answers its "$PFLAP,R" query.
class listener {
  public:
    explicit listener(serial& port) : m_port(port) {}

    // The first of the speeds, in their order, that the device answered at; the port is
    // then left at that speed. 0 when it answered at none. Up to five passes over the
    // speeds; with a time limit, one pass whatever the limit and more only while it lasts.
    std::uint32_t connect(std::span<const int> speeds = kLineSpeeds,
                          std::chrono::milliseconds timeLimit = {});

  private:
    bool answersAtCurrentSpeed();
    void sendProbe();

    serial& m_port;
};

}  // namespace kelvo::flarm
