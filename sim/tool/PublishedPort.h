#pragma once

#include <filesystem>
#include <string>

namespace kelvo::sim {

// A symbolic link to a device, named after the recorder, in the folder where the serial-port
// dictionary finds simulated ports. A name that a running simulator holds already gets a
// number ("Simulated LX 2"); a link left behind by one that crashed is taken over. The
// link is removed when the object goes.
class PublishedPort {
  public:
    PublishedPort(const std::filesystem::path& folder, const std::string& name,
                  const std::filesystem::path& device);  // throws std::filesystem_error
    ~PublishedPort();
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;

    const std::filesystem::path& link() const { return m_link; }

  private:
    std::filesystem::path m_link;
};

}  // namespace kelvo::sim
