#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "LoggerAccess/Flarm/FlarmAPI.h"
#include "LoggerAccess/Flarm/textcomm.h"

namespace kelvo {

// One operation per device value (read in text mode) and the flight download (binary mode).
// The value getters answer false when the device did not answer.
class KelvoFlarm : public FlarmAPI {
  public:
    // Called after every written piece of a download: the device's progress [%] and the
    // bytes written so far.
    using DownloadProgress = std::function<void(int progress, std::size_t bytesWritten)>;

    bool getFlarmHardwareVersion(std::string& text);
    bool getFlarmSoftwareVersion(std::string& text);
    bool getFlarmObstacleDatabase(std::string& text);
    bool getFlarmVersion(std::string& text);
    // The ACFT value turned into its name ("Glider", ..., "Unknown").
    bool getAircraftType(std::string& text);
    bool getPilotName(std::string& text);
    bool getGliderType(std::string& text);
    bool getCompetitionClass(std::string& text);
    bool getCompetitionID(std::string& text);
    bool getGliderRegistration(std::string& text);

    // The configuration items of a declaration, the task read back (IGC C lines; nothing
    // when the device cannot report it) and the restart that makes a task take effect.
    flarm::textcomm::Reply readItem(std::string_view item);
    flarm::textcomm::Reply writeItem(std::string_view item, std::string_view value);
    std::optional<std::vector<std::string>> readTask();
    bool restart();

    // False also when the device answers in text mode but will not enter binary mode
    // (binaryModeRefused()): such a unit offers no flight download over the port.
    bool enterBinaryMode();
    bool binaryModeRefused() const { return m_binaryRefused; }
    bool leaveBinaryMode();
    // The record's description text, or nothing: past the last record the device refuses
    // the number (lastRecordRefused()); otherwise it did not answer properly.
    std::optional<std::string> getFlightRecord(int record);
    bool lastRecordRefused() const { return m_recordRefused; }
    // Downloads the record into the file, which is replaced only by a complete flight.
    bool getIGCFile(int record, const std::filesystem::path& path,
                    const DownloadProgress& progress = {});

    // The name of an aircraft type code of the ACFT value.
    static std::string aircraftTypeName(long long code);

  private:
    // Logs "Select Record failed!" when the device refused the record number.
    bool selectRecord(int record);
    bool readValue(std::string& text, bool (flarm::textcomm::*getter)(std::string&));

    bool m_recordRefused = false;
    bool m_binaryRefused = false;
};

}  // namespace kelvo
