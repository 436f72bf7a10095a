#pragma once

#include <chrono>
#include <cstdint>

namespace kelvo::flarm {

class serial;

// Finds the line speed at which the device answers its "$PFLAP,R" query.
class listener {
  public:
    explicit listener(serial& port) : m_port(port) {}

    // The speed the device answered at, the preferred one tried first; the port is then
    // left at that speed. 0 when the device did not answer. With a time limit the search
    // tries the preferred speed and the factory speed, then others only while the limit
    // lasts, instead of five rounds of every speed.
    std::uint32_t connect(std::uint32_t preferred = 0, std::chrono::milliseconds timeLimit = {});

  private:
    bool answersAtCurrentSpeed();
    void sendProbe();

    serial& m_port;
};

}  // namespace kelvo::flarm
