#include "ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "sim/demo/DemoContent.h"

extern char** environ;

namespace kelvo::cli::test {

namespace fs = std::filesystem;

namespace {

// Fast enough for the suite, slow enough that a busy machine still meets every time-out.
constexpr const char* kDelayScale = "0.25";

std::vector<char*> argv(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> pointers{const_cast<char*>(program.c_str())};
    for (const auto& argument : arguments) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
            posix_spawn_file_actions_t& actions) {
    pid_t pid = -1;
    auto pointers = argv(program, arguments);
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first line on the descriptor, waiting at most ten seconds.
std::string firstLine(int descriptor) {
    std::string line;
    char byte = 0;
    pollfd request{descriptor, POLLIN, 0};
    while (poll(&request, 1, 10000) > 0 && read(descriptor, &byte, 1) == 1 && byte != '\n') {
        line.push_back(byte);
    }
    return line;
}

}  // namespace

const sim::DemoContent& smallDemo() {
    static const auto content = sim::DemoContent::make(sim::DemoSize::Small);
    return content;
}

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void writeFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

ToolEnvironment::ToolEnvironment() {
    std::string pattern = (fs::temp_directory_path() / "kelvo-cli-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
    m_folder = pattern;
    setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    setenv("XDG_CACHE_HOME", (m_folder / "cache").c_str(), 1);
    setenv("XDG_STATE_HOME", (m_folder / "state").c_str(), 1);
    setenv("KELVO_DELAY_SCALE", kDelayScale, 1);
}

ToolEnvironment::~ToolEnvironment() {
    std::error_code error;
    fs::remove_all(m_folder, error);
}

CliRun ToolEnvironment::cli(const std::vector<std::string>& arguments) const {
    const fs::path out = m_folder / "cli.out";
    const fs::path err = m_folder / "cli.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, m_folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = spawn(KELVO_CLI_PATH, arguments, actions);
    posix_spawn_file_actions_destroy(&actions);
    CliRun run;
    run.status = waitFor(pid);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments) {
    int output[2];
    if (pipe(output) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    m_pid = spawn(KELVO_SIM_PATH, arguments, actions);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    m_output = output[0];
    m_devicePath = firstLine(m_output);
}

SimulatorProcess::~SimulatorProcess() {
    stop();
    close(m_output);
}

int SimulatorProcess::stop(int signal) {
    if (m_pid < 0) return -1;
    kill(m_pid, signal);
    const int status = waitFor(m_pid);
    m_pid = -1;
    return status;
}

}  // namespace kelvo::cli::test
