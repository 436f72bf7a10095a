#pragma once

namespace kelvo::flarm {

class serial;

// Finds the line speed at which the device answers its "$PFLAP,R" query.
class listener {
  public:
    explicit listener(serial& port) : m_port(port) {}

    // True when the device answered; the port is then left at that speed.
    bool connect(unsigned int unused = 0);

  private:
    bool answersAtCurrentSpeed();

    serial& m_port;
};

}  // namespace kelvo::flarm
