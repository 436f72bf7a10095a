#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/Outcome.h"

namespace kelvo {

class LoggerFactory;

// Finds which recorder family answers on a port and connects its driver. "Automatic" tries
// the registered families one after the other, each within a short bound, and keeps the
// first that answers; a named family that does not answer is followed by the same short
// tries of the others, so that the failure names what is there instead.
class LoggerDetector {
  public:
    // The type that asks for detection (the logger-type menu's item).
    static constexpr const char* kAutomatic = "Automatic";

    struct Result {
        std::string loggerName;          // the family connected; empty when none
        std::unique_ptr<Logger> logger;  // connected; null on failure
        Outcome outcome;
    };

    explicit LoggerDetector(const LoggerFactory& factory);

    // Connects the family of the type (a registered name, or kAutomatic) on the device
    // path, trying the remembered line speed of the port first (0: none).
    Result connect(const std::string& type, const std::string& path, int rememberedSpeed) const;

    // The families in the order they are tried: those quickest to rule out first, then any
    // other registered serial-port family by name.
    std::vector<std::string> probeOrder() const;

    static bool isAutomatic(const std::string& type);

  private:
    Result tryFamily(const std::string& name, const std::string& path, int rememberedSpeed,
                     std::chrono::milliseconds limit) const;
    Result detect(const std::string& path, int rememberedSpeed) const;
    Result connectNamed(const std::string& name, const std::string& path,
                        int rememberedSpeed) const;

    const LoggerFactory& m_factory;
};

}  // namespace kelvo
