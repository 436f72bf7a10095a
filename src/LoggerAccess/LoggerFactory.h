#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LoggerAccess/Logger.h"

namespace kelvo {

// A driver class as the registry knows it: its class-level identity and how to build one.
struct LoggerDescriptor {
    std::string name;  // loggerName, the registry key and the menu item
    char character = ' ';
    std::string nativeExtension;
    int connectionType = 0;
    std::function<std::unique_ptr<Logger>()> create;

    // The descriptor of a driver class, taken from its static identity.
    template <typename Driver>
    static LoggerDescriptor of() {
        return {Driver::loggerName(), Driver::loggerChar(), Driver::nativeTrackFileExtension(),
                Driver::connectionType(), [] { return std::make_unique<Driver>(); }};
    }
};

// The registry of drivers by name. The controller fills it explicitly (clear, built-in,
// future when debug features are allowed, plug-ins) and builds a new driver for each
// connection. Used on the main thread only.
class LoggerFactory {
  public:
    // The process-wide registry.
    static LoggerFactory& shared();

    // LX/SDI/Filser, then Volkslogger.
    void registerBuiltinLoggers();
    // Flarm.
    void registerFutureLoggers();
    // The hook for drivers from outside the application; none yet.
    void registerPlugins() {}
    void clearRegisteredLoggers() { m_registeredLoggers.clear(); }

    // A later driver with a name already present replaces the earlier one.
    void registerLogger(LoggerDescriptor descriptor);
    template <typename Driver>
    void registerLogger() {
        registerLogger(LoggerDescriptor::of<Driver>());
    }

    // In no particular order; the caller sorts them.
    std::vector<std::string> registeredLoggers() const;
    // Null for an unknown name.
    const LoggerDescriptor* loggerClassWithName(const std::string& name) const;
    // A new driver owned by the caller; null for an unknown name.
    std::unique_ptr<Logger> loggerInstanceWithName(const std::string& name) const;

  private:
    std::map<std::string, LoggerDescriptor> m_registeredLoggers;
};

}  // namespace kelvo
