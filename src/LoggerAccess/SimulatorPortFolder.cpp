#include "LoggerAccess/SimulatorPortFolder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/Format.h"
#include "base/InputFile.h"
#include "base/Log.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

// Names beyond "name 99" mean something else is wrong.
constexpr int kMaxNumber = 99;

std::string folderReason(const fs::path& folder, const char* what) {
    return stringf("The simulator port folder %s %s", folder.c_str(), what);
}

// Checks one folder with lstat, so that a symbolic link is never followed.
bool isSafeFolder(const fs::path& folder, std::string& reason) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;
        reason =
            folderReason(folder, stringf("cannot be checked: %s", std::strerror(errno)).c_str());
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        reason = folderReason(folder, "is not a folder but a symbolic link or a file");
    } else if (info.st_uid != ::getuid()) {
        reason = folderReason(folder, "belongs to another user");
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        reason = folderReason(folder, "may be written by other users");
    } else {
        return true;
    }
    return false;
}

bool makeFolder(const fs::path& folder, std::string& reason) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return isSafeFolder(folder, reason);
    reason = folderReason(folder, stringf("cannot be created: %s", std::strerror(errno)).c_str());
    return false;
}

bool isOwnedByUser(const fs::path& entry) {
    struct stat info {};
    return ::lstat(entry.c_str(), &info) == 0 && info.st_uid == ::getuid();
}

// Who holds a name: the simulator's process id and its start time [clock ticks after
// boot], so that a process that got the number after the simulator ended is not taken
// for it.
struct ProcessIdentity {
    pid_t pid = 0;
    unsigned long long startTime = 0;
    bool operator==(const ProcessIdentity&) const = default;
};

// The identity of a process that runs; none when it has ended, a zombie included (killed
// and not yet reaped by its parent, its terminal is gone).
std::optional<ProcessIdentity> runningProcess(pid_t pid) {
    std::ifstream in(stringf("/proc/%d/stat", static_cast<int>(pid)));
    std::string line;
    std::getline(in, line);
    // The command name in parentheses may hold spaces and parentheses of its own.
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(nameEnd + 1));
    char state = 0;
    fields >> state;
    std::string skipped;
    for (int field = 4; field < 22; ++field) fields >> skipped;  // the start time is field 22
    ProcessIdentity identity{pid, 0};
    if (!(fields >> identity.startTime) || state == 'Z') return std::nullopt;
    return identity;
}

// Only a regular file is read: a pipe planted under the record's name would block the
// listing of ports.
std::optional<ProcessIdentity> readRecord(const fs::path& record) {
    constexpr std::uintmax_t kLongestRecord = 48;  // "PID START\n"
    const InputFile file = readInputFile(record, kLongestRecord);
    if (!file) return std::nullopt;
    std::istringstream fields(std::string(file.bytes.begin(), file.bytes.end()));
    ProcessIdentity identity;
    std::string rest;
    if (!(fields >> identity.pid >> identity.startTime) || identity.pid <= 0 || fields >> rest) {
        return std::nullopt;
    }
    return identity;
}

// A simulator of another user cannot have written into this user's folder, so a process
// that this user may not signal is another one that got the number.
bool isRunning(const ProcessIdentity& recorded) {
    return ::kill(recorded.pid, 0) == 0 && runningProcess(recorded.pid) == recorded;
}

}  // namespace

bool SimulatorPortFolder::isSafe(std::string& reason) const {
    return isSafeFolder(m_path.parent_path(), reason) && isSafeFolder(m_path, reason);
}

bool SimulatorPortFolder::prepare(std::string& reason) const {
    return makeFolder(m_path.parent_path(), reason) && makeFolder(m_path, reason);
}

std::map<std::string, fs::path> SimulatorPortFolder::livePorts() const {
    std::map<std::string, fs::path> ports;
    std::string reason;
    if (!isSafe(reason)) {
        logLine(reason);
        return ports;
    }
    std::error_code error;
    for (fs::directory_iterator it(m_path, error), end; !error && it != end; it.increment(error)) {
        const fs::path& link = it->path();
        std::error_code ignored;
        if (!it->is_symlink(ignored) || !isOwnedByUser(link)) continue;
        const std::string name = link.filename().string();
        switch (holder(name)) {
            case Holder::Running:
                ports.emplace(name, link);
                break;
            case Holder::Ended:
                logf("Removed the port \"%s\" of a simulator that has ended", name.c_str());
                release(name);
                break;
            case Holder::None:
                break;
        }
    }
    return ports;
}

std::string SimulatorPortFolder::publish(const std::string& name, const fs::path& device,
                                         std::string& reason) const {
    for (int number = 1; number <= kMaxNumber; ++number) {
        const std::string candidate = number == 1 ? name : stringf("%s %d", name.c_str(), number);
        const Claim claimed = claim(candidate, reason);
        if (claimed == Claim::Failed) return {};
        if (claimed == Claim::Held) continue;
        // A link without a record was left by a simulator that ended while publishing.
        const fs::path link = m_path / candidate;
        std::error_code error;
        fs::remove(link, error);
        fs::create_symlink(device, link, error);
        if (!error) return candidate;
        reason = stringf("Cannot publish %s: %s", link.c_str(), error.message().c_str());
        release(candidate);
        return {};
    }
    reason = stringf("Running simulators hold every name from \"%s\" to \"%s %d\" in %s",
                     name.c_str(), name.c_str(), kMaxNumber, m_path.c_str());
    return {};
}

void SimulatorPortFolder::release(const std::string& name) const {
    std::error_code error;
    fs::remove(m_path / name, error);
    fs::remove(record(name), error);
}

SimulatorPortFolder::Holder SimulatorPortFolder::holder(const std::string& name) const {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(record(name), error))) return Holder::None;
    const std::optional<ProcessIdentity> recorded = readRecord(record(name));
    return recorded && isRunning(*recorded) ? Holder::Running : Holder::Ended;
}

// The record is written whole under a name of this process and then hard-linked into
// place, which fails when the name is held: no reader ever sees half a record, and of
// two simulators claiming one name only one succeeds.
SimulatorPortFolder::Claim SimulatorPortFolder::claim(const std::string& name,
                                                      std::string& reason) const {
    const std::optional<ProcessIdentity> self = runningProcess(::getpid());
    const fs::path draft = m_path / stringf(".%s.%d", name.c_str(), static_cast<int>(::getpid()));
    if (!self || !writeFileAtomically(
                     draft, stringf("%d %llu\n", static_cast<int>(self->pid), self->startTime))) {
        reason = stringf("Cannot write the process record %s", draft.c_str());
        return Claim::Failed;
    }
    Claim claimed = Claim::Held;
    // A second attempt follows the removal of a record whose simulator has ended.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::link(draft.c_str(), record(name).c_str()) == 0) {
            claimed = Claim::Taken;
            break;
        }
        if (errno != EEXIST) {
            reason = stringf("Cannot write %s: %s", record(name).c_str(), std::strerror(errno));
            claimed = Claim::Failed;
            break;
        }
        if (holder(name) == Holder::Running) break;
        release(name);
    }
    std::error_code error;
    fs::remove(draft, error);
    return claimed;
}

fs::path SimulatorPortFolder::record(const std::string& name) const {
    return m_path / (name + ".pid");
}

}  // namespace kelvo
