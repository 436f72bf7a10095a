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
    // The same at the one line speed the user gave: no family searches for another, and a
    // family that does not talk at it is not tried (named, it fails at once saying so).
    Result connectAtSpeed(const std::string& type, const std::string& path, int speed) const;

    // The families in the order they are tried: those quickest to rule out first, then any
    // other registered serial-port family by name.
    std::vector<std::string> probeOrder() const;

    static bool isAutomatic(const std::string& type);

  private:
    // Where a family's line-speed search begins: the speed tried first (0: none), or, when
    // fixed, the only one tried.
    struct LineSpeed {
        int baud = 0;
        bool fixed = false;
    };

    Result connectWith(const std::string& type, const std::string& path, LineSpeed speed) const;
    // False for a family of line speeds that does not talk at a fixed speed.
    bool talksAt(const std::string& name, LineSpeed speed) const;
    Result tryFamily(const std::string& name, const std::string& path, LineSpeed speed,
                     std::chrono::milliseconds limit) const;
    Result detect(const std::string& path, LineSpeed speed) const;
    Result connectNamed(const std::string& name, const std::string& path, LineSpeed speed) const;

    const LoggerFactory& m_factory;
};

}  // namespace kelvo
