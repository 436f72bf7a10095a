#pragma once

#include <filesystem>
#include <string>

#include "LoggerAccess/SimulatorPortFolder.h"

namespace kelvo::sim {

// A device published under the recorder's name in the folder where the serial-port
// dictionary finds simulated ports, with this process's record beside it. A name that a
// running simulator holds already gets a number ("Simulated LX 2"); one left behind by a
// simulator that ended is taken over. Link and record are removed when the object goes.
class PublishedPort {
  public:
    // Throws std::runtime_error with a one-line reason naming the folder.
    PublishedPort(const std::filesystem::path& folder, const std::string& name,
                  const std::filesystem::path& device);
    ~PublishedPort();
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;

    std::filesystem::path link() const { return m_folder.path() / m_name; }

  private:
    SimulatorPortFolder m_folder;
    std::string m_name;
};

}  // namespace kelvo::sim
