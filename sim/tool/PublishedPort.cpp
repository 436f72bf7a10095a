#include "sim/tool/PublishedPort.h"

#include <stdexcept>

namespace kelvo::sim {

PublishedPort::PublishedPort(const std::filesystem::path& folder, const std::string& name,
                             const std::filesystem::path& device)
    : m_folder(folder) {
    std::string reason;
    if (!m_folder.prepare(reason)) throw std::runtime_error(reason);
    m_name = m_folder.publish(name, device, reason);
    if (m_name.empty()) throw std::runtime_error(reason);
}

PublishedPort::~PublishedPort() {
    m_folder.release(m_name);
}

}  // namespace kelvo::sim
