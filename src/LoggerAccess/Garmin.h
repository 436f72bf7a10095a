#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "LoggerAccess/Logger.h"

namespace kelvo {

// A driver stub that only locates the external gpsbabel tool; it never starts it and no
// registry operation offers it (only registerLogger<Garmin>() does).
class Garmin : public Logger {
  public:
    Garmin();  // looks for gpsbabel on $PATH
    // Looks for gpsbabel in the folders of a PATH-style list.
    explicit Garmin(std::string_view searchPath);
    ~Garmin() override;

    static std::string loggerName() { return "Garmin"; }
    static char loggerChar() { return 'X'; }
    static std::string nativeTrackFileExtension() { return "GAR"; }
    static int connectionType() { return 1; }

    // Where gpsbabel is expected; nothing when it was not found.
    const std::optional<std::string>& gpsBabelPath() const { return m_gpsBabelPath; }

    Outcome connect(const std::string& path) override;
    bool stillConnected() override;
    void disconnect() override;
    Outcome readInfo() override;

    // The first executable file of that name in the folders of a colon-separated list
    // (empty entries, which would mean the working folder, are skipped).
    static std::optional<std::filesystem::path> findExecutable(std::string_view name,
                                                               std::string_view searchPath);

  private:
    std::optional<std::string> m_gpsBabelPath;
};

}  // namespace kelvo
