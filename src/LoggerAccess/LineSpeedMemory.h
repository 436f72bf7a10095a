#pragma once

#include <filesystem>
#include <string>

#include "LoggerAccess/SerialPortDictionary.h"

namespace kelvo {

// The line speed that last worked on each port, kept for the command-line tool in
// $XDG_STATE_HOME/kelvo/line-speeds (one "speed<TAB>port" line a port), so that the next
// connect tries it first. A port is kept under its identity, so that the speed follows a USB
// adapter to another device number; what earlier versions kept under a port's path is read
// until the port's speed is kept again. The application keeps the same in its preferences.
class LineSpeedMemory {
  public:
    explicit LineSpeedMemory(std::filesystem::path file = defaultFile());

    // 0 when none is known for the port.
    int speedFor(const PortEntry& port) const;
    // Written atomically; a failure to write only costs the next connect some time.
    void remember(const PortEntry& port, int speed) const;

    static std::filesystem::path defaultFile();

  private:
    std::filesystem::path m_file;
};

}  // namespace kelvo
