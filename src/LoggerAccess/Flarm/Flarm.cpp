#include "LoggerAccess/Flarm/Flarm.h"

#include <algorithm>
#include <utility>

#include "LoggerAccess/Flarm/FlarmRecord.h"
#include "LoggerAccess/Flarm/KelvoFlarm.h"
#include "base/Log.h"
#include "geo/Declaration.h"

namespace kelvo {
namespace {

constexpr int kMaxRecords = 50;

FlightEntry entryOf(const FlarmRecord& record) {
    FlightEntry entry;
    entry.number = std::to_string(record.number);
    entry.filename = record.filename;
    if (record.start && record.end) {
        entry.date = record.start;
        entry.firsttime = record.start;
        entry.lasttime = record.end;
        entry.duration = record.duration;
    }
    entry.pilot = record.pilot;
    entry.gliderid = record.gliderId;
    return entry;
}

}  // namespace

Flarm::Flarm() : m_kelvoFlarm(std::make_unique<KelvoFlarm>()) {
    Flarm::fillCapabilities();
    logLine("Flarm initiated");
}

Flarm::~Flarm() {
    if (connected()) Flarm::disconnect();
}

void Flarm::setFlarmAPI(std::unique_ptr<KelvoFlarm> flarm) {
    if (flarm) m_kelvoFlarm = std::move(flarm);
}

void Flarm::fillCapabilities() {
    Logger::fillCapabilities();
    LoggerCapabilities& capabilities = mutableCapabilities();
    capabilities.supportsSecure = true;
    capabilities.supportsIGCFile = true;
    capabilities.hasNativeFile = false;
    capabilities.maxBaud = 57600;
    capabilities.minBaud = 4800;
}

Outcome Flarm::connect(const std::string& path) {
    Outcome outcome = m_kelvoFlarm->SerialConnectFR(path);
    setConnected(outcome.ok());
    return outcome;
}

bool Flarm::stillConnected() {
    return connected();
}

void Flarm::readInfo() {
    const std::pair<const char*, bool (KelvoFlarm::*)(std::string&)> values[] = {
        {"Hardware version", &KelvoFlarm::getFlarmHardwareVersion},
        {"Software version", &KelvoFlarm::getFlarmSoftwareVersion},
        {"Obstacle Database", &KelvoFlarm::getFlarmObstacleDatabase},
        {"Version", &KelvoFlarm::getFlarmVersion},
        {"AicraftType", &KelvoFlarm::getAircraftType},
        {"PilotName", &KelvoFlarm::getPilotName},
    };
    for (const auto& [key, getter] : values) {
        std::string text;
        ((*m_kelvoFlarm).*getter)(text);
        loggerData().setLoggerInfoObject(text, key);
    }
}

void Flarm::readDirectory(bool /*reload*/) {
    logLine("Calling method 'readDirectory' in Logger class.");
    // Every listing is read afresh; a reload must not repeat the entries.
    flightDirectory().clear();
    m_kelvoFlarm->enterBinaryMode();
    for (int number = 0; number < kMaxRecords; ++number) {
        const std::optional<std::string> text = m_kelvoFlarm->getFlightRecord(number);
        if (!text) break;
        logf("Response = %s.", text->c_str());
        const std::optional<FlarmRecord> record = FlarmRecord::parse(number, *text);
        if (!record) {
            logLine("Record contained less than 4 fields.");
            logf("Record: %s", text->c_str());
            continue;
        }
        loggerData().addFlightToDirectory(entryOf(*record));
    }
    m_kelvoFlarm->leaveBinaryMode();
}

bool Flarm::clearDirectory() {
    logLine("Clear directory not supported in Flarm devices.");
    return false;
}

bool Flarm::readFile(const std::filesystem::path& path, int key, bool /*secure*/,
                     bool /*translateToIGC*/, const FlightEntry* entry) {
    logLine("Calling method 'readIGCFile' in Flarm class.");
    const std::string name = entry && entry->filename ? *entry->filename : std::string();
    m_kelvoFlarm->enterBinaryMode();
    const bool read =
        m_kelvoFlarm->getIGCFile(key, path, [this, &name](int percent, std::size_t written) {
            reportProgress(Progress{std::min(1.0, percent / 100.0), written, name});
        });
    m_kelvoFlarm->leaveBinaryMode();
    return read;
}

void Flarm::readDeclaration(bool /*reload*/) {
    Declaration& declaration = *loggerData().declaration();
    std::string text;
    m_kelvoFlarm->getPilotName(text);
    declaration.setPilot1(text);
    m_kelvoFlarm->getCompetitionClass(text);
    declaration.setCompetitionClassDescription(text);
    m_kelvoFlarm->getGliderRegistration(text);
    declaration.setGliderID(text);
    m_kelvoFlarm->getCompetitionID(text);
    declaration.setCompetitionID(text);
    m_kelvoFlarm->getGliderType(text);
    declaration.setGliderType(text);
}

void Flarm::disconnect() {
    logLine("Calling method 'disconnect' in Flarm class.");
    m_kelvoFlarm->DisconnectFR();
    setConnected(false);
}

}  // namespace kelvo
