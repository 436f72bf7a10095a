#pragma once

#include <memory>
#include <optional>
#include <string>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerFactory.h"

namespace kelvo::cli {

class CliArguments;

// A connection to one recorder for the length of a command: the driver of the type (or of
// the family that answers, for Automatic), built by the registry, connected to the port
// (retried as the application does) and disconnected at the end.
class LoggerSession {
  public:
    // Throws UsageError for an unknown type, OperationFailure when no connection came up.
    // Without a speed the family searches its line speeds, the one that last worked on the
    // port first; with one it uses that speed alone.
    LoggerSession(const std::string& type, const std::string& port, std::optional<int> speed);
    // The --type (Automatic when not given), --port and --speed of a recorder command.
    explicit LoggerSession(const CliArguments& arguments);
    ~LoggerSession();
    LoggerSession(const LoggerSession&) = delete;
    LoggerSession& operator=(const LoggerSession&) = delete;

    Logger& logger() { return *m_logger; }
    // The driver's name, for messages ("LX/SDI/Filser").
    const std::string& name() const { return m_family.name; }
    const LoggerDescriptor& family() const { return m_family; }

    // The shared registry, given every family when it holds none yet; a caller (a test)
    // that registered families before chose them itself.
    static LoggerFactory& registry();

    // The registered driver name of a --type value: the name itself, or one of the makes
    // it lists ("LX/SDI/Filser": lx, sdi or filser), in any case; Automatic stays Automatic.
    static std::string loggerNameOf(const std::string& type);
    // The device path of a --port value: the path of a port the dictionary lists under that
    // name, else the value itself.
    static std::string devicePathOf(const std::string& port);

  private:
    LoggerDescriptor m_family;  // a copy: the registry may change while the session lasts
    std::unique_ptr<Logger> m_logger;
};

}  // namespace kelvo::cli
