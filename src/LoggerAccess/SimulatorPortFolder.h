#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace kelvo {

// The per-user folder in which each running simulator publishes its pseudo-terminal: a
// symbolic link named after the port ("Simulated LX") pointing at the terminal, and beside
// it the record "Simulated LX.pid" holding the simulator's process id and the start time
// of that process in clock ticks after boot ("4711 123456\n"). The record is the claim on
// the name: it appears whole (hard-linked into place) before the link, and a link is
// trusted only while the process of its record runs.
//
// Only this user may write in the folder and in its parent, or another local user could
// plant a link to one of the user's files there: both must be directories, not symbolic
// links, that the user owns and that neither group nor others may write.
class SimulatorPortFolder {
  public:
    explicit SimulatorPortFolder(std::filesystem::path path) : m_path(std::move(path)) {}

    const std::filesystem::path& path() const { return m_path; }

    // Creates the folder and its parent with mode 0700 where they are missing. False, with
    // a one-line reason naming the folder, when they cannot be made or are not safe.
    bool prepare(std::string& reason) const;
    // False, with the reason, when the folder or its parent exists and is not safe.
    bool isSafe(std::string& reason) const;

    // The ports of running simulators, name to link path. The links and records of
    // simulators that have ended are removed; a link without a record (its simulator is
    // still publishing) is left out. An unsafe folder has none (the reason is logged).
    std::map<std::string, std::filesystem::path> livePorts() const;

    // Publishes device under name, or the first of "name 2", "name 3", ... that no running
    // simulator holds, for this process; the name used. Empty, with the reason, on failure.
    std::string publish(const std::string& name, const std::filesystem::path& device,
                        std::string& reason) const;
    // Removes the link and the record of name.
    void release(const std::string& name) const;

  private:
    enum class Holder { None, Running, Ended };
    enum class Claim { Taken, Held, Failed };

    Holder holder(const std::string& name) const;
    Claim claim(const std::string& name, std::string& reason) const;
    std::filesystem::path record(const std::string& name) const;

    std::filesystem::path m_path;
};

}  // namespace kelvo
