#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "LoggerAccess/Logger.h"

namespace kelvo {

// A recorder family as the registry knows it: its class-level identity, how to build its
// driver and how its native flights are named and become IGC. The front ends learn all
// they need of a family here and never name one.
struct LoggerDescriptor {
    std::string name;  // loggerName, the registry key and the menu item
    char character = ' ';
    std::string nativeExtension;  // of the files its driver writes in the native format
    int connectionType = 0;
    std::function<std::unique_ptr<Logger>()> create;
    std::vector<std::string> otherNativeExtensions{};  // further extensions of its native flights
    NativeToIGC nativeToIGC{};                         // none when its flights are IGC already
    std::vector<int> lineSpeeds{};                     // [baud] it talks at, in search order
    std::vector<std::string> makes{};                  // models that name the family too

    // Whether the family's native flights carry the extension (any letter case, with or
    // without the dot).
    bool hasNativeExtension(std::string_view extension) const;

    // The descriptor of a driver class, taken from its static identity.
    template <typename Driver>
    static LoggerDescriptor of() {
        return {Driver::loggerName(),
                Driver::loggerChar(),
                Driver::nativeTrackFileExtension(),
                Driver::connectionType(),
                [] { return std::make_unique<Driver>(); },
                Driver::otherNativeExtensions(),
                Driver::nativeToIGC(),
                Driver::lineSpeeds(),
                Driver::makes()};
    }
};

// The registry of drivers by name. The controller fills it explicitly (clear, built-in,
// future when debug features are allowed, plug-ins) and builds a new driver for each
// connection. Used on the main thread only.
class LoggerFactory {
  public:
    // The process-wide registry.
    static LoggerFactory& shared();

    // LX/SDI/Filser, Volkslogger and Flarm: every family the application and kelvo-cli offer.
    void registerBuiltinLoggers();
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

    // The family whose native flights carry the extension and convert to IGC; null when
    // no registered family converts files of that extension.
    const LoggerDescriptor* loggerClassConvertingExtension(std::string_view extension) const;
    // The IGC text of a flight in the native format of the extension, converted by the
    // family that converts it; the bytes as they stand when none does (IGC already).
    std::string igcTextOfFlight(ByteSpan flight, std::string_view extension) const;

  private:
    std::map<std::string, LoggerDescriptor> m_registeredLoggers;
};

}  // namespace kelvo
