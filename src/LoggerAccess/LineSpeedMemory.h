#pragma once

#include <filesystem>
#include <string>

namespace kelvo {

// The line speed that last worked on each port, kept for the command-line tool in
// $XDG_STATE_HOME/kelvo/line-speeds (one "speed<TAB>port" line a port), so that the next
// connect tries it first. The application keeps the same in its preferences.
class LineSpeedMemory {
  public:
    explicit LineSpeedMemory(std::filesystem::path file = defaultFile());

    // 0 when none is known for the port.
    int speedFor(const std::string& port) const;
    // Written atomically; a failure to write only costs the next connect some time.
    void remember(const std::string& port, int speed) const;

    static std::filesystem::path defaultFile();

  private:
    std::filesystem::path m_file;
};

}  // namespace kelvo
