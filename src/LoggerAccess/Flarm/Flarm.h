#pragma once

#include <memory>
#include <string>

#include "LoggerAccess/Logger.h"

namespace kelvo {

class KelvoFlarm;

// The driver for Flarm devices: identification and configuration in text mode, the flight
// list and IGC downloads in binary mode. Nothing can be written to the device.
class Flarm : public Logger {
  public:
    Flarm();
    ~Flarm() override;

    static std::string loggerName() { return "Flarm"; }
    static char loggerChar() { return 'X'; }
    static std::string nativeTrackFileExtension() { return "IGC"; }
    static int connectionType() { return 1; }
    static std::vector<int> lineSpeeds();

    void fillCapabilities() override;
    Outcome connect(const std::string& path) override;
    bool stillConnected() override;
    Outcome readInfo() override;
    Outcome readDirectory(bool reload) override;
    Outcome clearDirectory() override;
    Outcome readFile(const std::filesystem::path& path, int key, bool secure,
                     bool translateToIGC, const FlightEntry* entry) override;
    Outcome readDeclaration(bool reload) override;
    void disconnect() override;

  private:
    // Leaves binary mode (after a cancel too) and answers the outcome, or cancelled.
    Outcome finishInTextMode(Outcome outcome);

    std::unique_ptr<KelvoFlarm> m_kelvoFlarm;
};

}  // namespace kelvo
