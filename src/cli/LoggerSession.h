#pragma once

#include <memory>
#include <string>

#include "LoggerAccess/Logger.h"

namespace kelvo::cli {

class CliArguments;

// A connection to one recorder for the length of a command: the driver of the type (or of
// the family that answers, for Automatic), built by the registry, connected to the port
// (retried as the application does) and disconnected at the end.
class LoggerSession {
  public:
    // Throws UsageError for an unknown type, OperationFailure when no connection came up.
    LoggerSession(const std::string& type, const std::string& port);
    // The --type (Automatic when not given) and --port of a recorder command.
    explicit LoggerSession(const CliArguments& arguments);
    ~LoggerSession();
    LoggerSession(const LoggerSession&) = delete;
    LoggerSession& operator=(const LoggerSession&) = delete;

    Logger& logger() { return *m_logger; }
    // The driver's name, for messages ("LX/SDI/Filser").
    const std::string& name() const { return m_name; }

    // The registered driver name of a --type value: the name itself in any case, or one
    // of the aliases lx, volkslogger and flarm; Automatic stays Automatic.
    static std::string loggerNameOf(const std::string& type);
    // The device path of a --port value: the path of a port the dictionary lists under that
    // name, else the value itself.
    static std::string devicePathOf(const std::string& port);

  private:
    std::string m_name;
    std::unique_ptr<Logger> m_logger;
};

}  // namespace kelvo::cli
