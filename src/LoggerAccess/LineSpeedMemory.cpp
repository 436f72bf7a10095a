#include "LoggerAccess/LineSpeedMemory.h"

#include <charconv>
#include <fstream>
#include <map>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/XdgFolders.h"

namespace kelvo {
namespace {

// The file holds a handful of short lines; anything larger is not ours.
constexpr std::uintmax_t kLargestFile = 64 * 1024;

std::map<std::string, int> readSpeeds(const std::filesystem::path& file) {
    std::map<std::string, int> speeds;
    std::error_code error;
    if (std::filesystem::file_size(file, error) > kLargestFile || error) return speeds;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        int speed = 0;
        if (tab == std::string::npos) continue;
        const auto [end, failure] = std::from_chars(line.data(), line.data() + tab, speed);
        if (failure == std::errc() && end == line.data() + tab && speed > 0) {
            speeds[line.substr(tab + 1)] = speed;
        }
    }
    return speeds;
}

}  // namespace

LineSpeedMemory::LineSpeedMemory(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path LineSpeedMemory::defaultFile() {
    return xdgStateFolder() / "kelvo" / "line-speeds";
}

int LineSpeedMemory::speedFor(const PortEntry& port) const {
    const auto speeds = readSpeeds(m_file);
    for (const std::string& key : {port.identity, port.path}) {
        if (const auto found = speeds.find(key); found != speeds.end()) return found->second;
    }
    return 0;
}

void LineSpeedMemory::remember(const PortEntry& port, int speed) const {
    if (speed <= 0 || port.identity.find('\n') != std::string::npos) return;
    auto speeds = readSpeeds(m_file);
    const bool kept = speeds[port.identity] == speed;
    const bool formerEntry = port.path != port.identity && speeds.erase(port.path) > 0;
    if (kept && !formerEntry) return;
    speeds[port.identity] = speed;
    std::string text;
    for (const auto& [name, baud] : speeds) text += std::to_string(baud) + '\t' + name + '\n';
    std::error_code error;
    std::filesystem::create_directories(m_file.parent_path(), error);
    writeFileAtomically(m_file, text);
}

}  // namespace kelvo
