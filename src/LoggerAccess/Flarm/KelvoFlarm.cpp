#include "LoggerAccess/Flarm/KelvoFlarm.h"

#include <array>

#include "LoggerAccess/Flarm/binarycomm.h"
#include "LoggerAccess/Flarm/textcomm.h"
#include "base/AtomicFile.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/Text.h"

namespace kelvo {
namespace {

constexpr char kEndOfFlight = 0x1A;
// A device that never ends its flight cannot keep a download going forever: a flight of
// many hours is a few thousand pieces.
constexpr int kMaxPieces = 65536;
constexpr int kMaxEmptyPiecesInARow = 10;

}  // namespace

std::string KelvoFlarm::aircraftTypeName(long long code) {
    static const std::array<const char*, 13> kNames{
        "Glider",     "Tow Plane",        "Helicopter", "Parachute", "Dropplane", "Delta",
        "Paraglider", "Powered Airplane", "Jet",        "UFO",       "Balloon",   "Blimp",
        "UAV"};
    if (code < 1 || code > static_cast<long long>(kNames.size())) return "Unknown";
    return kNames[static_cast<std::size_t>(code - 1)];
}

bool KelvoFlarm::readValue(std::string& text, bool (flarm::textcomm::*getter)(std::string&)) {
    text.clear();
    if (!port()) return false;
    flarm::textcomm comm(*port());
    return (comm.*getter)(text);
}

bool KelvoFlarm::getFlarmHardwareVersion(std::string& text) {
    return readValue(text, &flarm::textcomm::getHardwareVersion);
}

bool KelvoFlarm::getFlarmSoftwareVersion(std::string& text) {
    return readValue(text, &flarm::textcomm::getSoftwareVersion);
}

bool KelvoFlarm::getFlarmObstacleDatabase(std::string& text) {
    return readValue(text, &flarm::textcomm::getObstacleDatabase);
}

bool KelvoFlarm::getFlarmVersion(std::string& text) {
    return readValue(text, &flarm::textcomm::getSerialnumber);
}

bool KelvoFlarm::getAircraftType(std::string& text) {
    if (!readValue(text, &flarm::textcomm::getAircraftType)) return false;
    text = aircraftTypeName(leadingInteger(text));
    return true;
}

bool KelvoFlarm::getPilotName(std::string& text) {
    return readValue(text, &flarm::textcomm::getPilotName);
}

bool KelvoFlarm::getGliderType(std::string& text) {
    return readValue(text, &flarm::textcomm::getGliderType);
}

bool KelvoFlarm::getCompetitionClass(std::string& text) {
    return readValue(text, &flarm::textcomm::getCompetitionClass);
}

bool KelvoFlarm::getCompetitionID(std::string& text) {
    return readValue(text, &flarm::textcomm::getCompetitionID);
}

bool KelvoFlarm::getGliderRegistration(std::string& text) {
    return readValue(text, &flarm::textcomm::getGliderRegistration);
}

flarm::textcomm::Reply KelvoFlarm::readItem(std::string_view item) {
    if (!port()) return {};
    return flarm::textcomm(*port()).read(item);
}

flarm::textcomm::Reply KelvoFlarm::writeItem(std::string_view item, std::string_view value) {
    if (!port()) return {};
    return flarm::textcomm(*port()).write(item, value);
}

std::optional<std::vector<std::string>> KelvoFlarm::readTask() {
    if (!port()) return std::nullopt;
    return flarm::textcomm(*port()).readTask();
}

bool KelvoFlarm::restart() {
    return port() && flarm::textcomm(*port()).restart();
}

bool KelvoFlarm::enterBinaryMode() {
    m_binaryRefused = false;
    if (!port() || !flarm::textcomm(*port()).switchToBinary()) {
        logLine("Switch To Binary Failed!\r");
        return false;
    }
    logLine("Switch To Binary succeeded!\r");
    delaySeconds(1);
    delayMilliseconds(100);
    if (link() && link()->ping()) return true;
    // A unit without serial flight download stays in text mode and still answers there.
    m_binaryRefused = flarm::textcomm(*port()).answersText();
    if (m_binaryRefused) logLine("The device stayed in text mode.");
    return false;
}

bool KelvoFlarm::leaveBinaryMode() {
    if (!link()) return true;
    // The device may miss an exit; once one is acknowledged it is back in text mode, where it
    // answers none.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) delayMilliseconds(10);
        if (link()->exit()) break;
    }
    return true;
}

bool KelvoFlarm::selectRecord(int record) {
    m_recordRefused = false;
    if (link() && record >= 0 && record <= 255 &&
        link()->selectRecord(static_cast<std::uint8_t>(record))) {
        return true;
    }
    m_recordRefused = link() && link()->lastRequestRefused();
    logLine("Select Record failed!\r");
    return false;
}

std::optional<std::string> KelvoFlarm::getFlightRecord(int record) {
    // The device is ready as soon as it has answered: the next request follows at once.
    if (!selectRecord(record)) return std::nullopt;
    std::string text;
    if (!link()->getRecordInfo(text)) return std::nullopt;
    logf("  #%i: %s\r\n", record, text.c_str());
    return text;
}

bool KelvoFlarm::getIGCFile(int record, const std::filesystem::path& path,
                            const DownloadProgress& progress) {
    if (!selectRecord(record)) {
        delayMilliseconds(100);
        return false;
    }
    AtomicFile file(path);
    if (!file.isOpen()) {
        logf("Could not create %s.", path.string().c_str());
        return false;
    }
    std::size_t written = 0;
    bool finished = false;
    for (int piece = 0, emptyInARow = 0;
         !finished && piece < kMaxPieces && emptyInARow < kMaxEmptyPiecesInARow; ++piece) {
        std::string chunk;
        int percent = 0;
        if (!link()->getIGCData(chunk, percent)) break;
        logf("Got one Buffer ... progress = %d; length = %d.\r\n", percent,
             static_cast<int>(chunk.size()));
        emptyInARow = chunk.empty() ? emptyInARow + 1 : 0;
        if (!chunk.empty() && chunk.back() == kEndOfFlight) {
            chunk.pop_back();
            finished = true;
        }
        file.stream() << chunk;
        written += chunk.size();
        if (progress) progress(percent, written);
    }
    if (!finished) {
        logf("Download of record %d ended before the end of the flight.", record);
        return false;
    }
    return file.commit();
}

}  // namespace kelvo
