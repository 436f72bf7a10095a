#pragma once

#include <signal.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvo::sim {
struct DemoContent;
}

namespace kelvo::cli::test {

// What a finished kelvo-cli run left behind.
struct CliRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A private world for one test: a scratch folder that is also the per-user runtime folder
// (so simulators publish their ports there) and holds the cache folder, and fast protocol
// delays.
class ToolEnvironment {
  public:
    ToolEnvironment();
    ~ToolEnvironment();
    ToolEnvironment(const ToolEnvironment&) = delete;
    ToolEnvironment& operator=(const ToolEnvironment&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path file(const std::string& name) const { return m_folder / name; }

    // Runs kelvo-cli in the scratch folder and waits for it.
    CliRun cli(const std::vector<std::string>& arguments) const;

  private:
    std::filesystem::path m_folder;
};

// A running kelvo-sim, stopped (SIGTERM) and reaped when the object goes.
class SimulatorProcess {
  public:
    explicit SimulatorProcess(const std::vector<std::string>& arguments);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The first line it printed: the device path; empty when it printed none in time.
    const std::string& devicePath() const { return m_devicePath; }
    // Sends the signal and answers the exit status (-1 when the signal ended it).
    int stop(int signal = SIGTERM);

  private:
    pid_t m_pid = -1;
    int m_output = -1;  // kept open: the simulator must never write into a closed pipe
    std::string m_devicePath;
};

// The simulators' demo content with short flights, made once.
const sim::DemoContent& smallDemo();

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& contents);

}  // namespace kelvo::cli::test
