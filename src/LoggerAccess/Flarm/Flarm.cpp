#include "LoggerAccess/Flarm/Flarm.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "LoggerAccess/DeclarationFit.h"
#include "LoggerAccess/Flarm/FlarmDeclaration.h"
#include "igc/IGCTaskRecord.h"
#include "LoggerAccess/Flarm/FlarmRecord.h"
#include "LoggerAccess/Flarm/KelvoFlarm.h"
#include "base/Format.h"
#include "base/Log.h"
#include "geo/Declaration.h"
#include "geo/Task.h"

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

void Flarm::fillCapabilities() {
    Logger::fillCapabilities();
    LoggerCapabilities& capabilities = mutableCapabilities();
    capabilities.supportsSecure = true;
    capabilities.supportsIGCFile = true;
    capabilities.hasNativeFile = false;
    capabilities.maxBaud = 115200;
    capabilities.minBaud = 4800;
    capabilities.maxDeclarations = 1;
    capabilities.maxTaskPoints = FlarmDeclaration::kMaxTaskPoints;
    capabilities.restartsForDeclaration = true;
}

std::vector<int> Flarm::lineSpeeds() {
    return {std::begin(flarm::kLineSpeeds), std::end(flarm::kLineSpeeds)};
}

Outcome Flarm::connect(const std::string& path) {
    Outcome outcome =
        m_kelvoFlarm->SerialConnectFR(path, lineSpeedsToTry(lineSpeeds()), connectTimeLimit());
    setConnected(outcome.ok());
    setLineSpeed(static_cast<int>(m_kelvoFlarm->lineSpeed()));
    return outcome;
}

bool Flarm::stillConnected() {
    return connected();
}

Outcome Flarm::readInfo() {
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
        if (!((*m_kelvoFlarm).*getter)(text)) {
            return takeCancellation() ? Outcome::cancelled()
                                      : Outcome::failure(stringf("no answer from the Flarm to the "
                                                                 "question for its %s",
                                                                 key));
        }
        loggerData().setLoggerInfoObject(text, key);
    }
    return Outcome::success();
}

Outcome Flarm::readDirectory(bool /*reload*/) {
    logLine("Calling method 'readDirectory' in Logger class.");
    // Every listing is read afresh; a reload must not repeat the entries.
    loggerData().flightDirectory().clear();
    if (!m_kelvoFlarm->enterBinaryMode()) return binaryModeFailure();
    for (int number = 0; number < kMaxRecords; ++number) {
        const std::optional<std::string> text = m_kelvoFlarm->getFlightRecord(number);
        if (!text) {
            if (m_kelvoFlarm->lastRecordRefused()) break;  // past the last flight
            return finishInTextMode(Outcome::failure(
                stringf("the flight list arrived in part: %d of its entries came, then the Flarm "
                        "stopped answering",
                        number)));
        }
        logf("Response = %s.", text->c_str());
        const std::optional<FlarmRecord> record = FlarmRecord::parse(number, *text);
        if (!record) {
            logLine("Record contained less than 4 fields.");
            logf("Record: %s", text->c_str());
            continue;
        }
        loggerData().addFlightToDirectory(entryOf(*record));
    }
    return finishInTextMode(Outcome::success());
}

Outcome Flarm::finishInTextMode(Outcome outcome) {
    // A request that came after the work was done cancels nothing.
    if (takeCancellation() && !outcome) outcome = Outcome::cancelled();
    m_kelvoFlarm->leaveBinaryMode();
    return outcome;
}

Outcome Flarm::binaryModeFailure() {
    return finishInTextMode(m_kelvoFlarm->binaryModeRefused()
                                ? Outcome::refusal("this FLARM offers no flight download over this port")
                                : Outcome::failure("the Flarm did not enter its binary mode"));
}

Outcome Flarm::clearDirectory() {
    logLine("Clear directory not supported in Flarm devices.");
    return Outcome::refusal("a Flarm keeps its flights; they cannot be cleared");
}

Outcome Flarm::readFile(const std::filesystem::path& path, int key, bool /*secure*/,
                        bool /*translateToIGC*/, const FlightEntry* entry) {
    logLine("Calling method 'readIGCFile' in Flarm class.");
    const std::string name = entry && entry->filename ? *entry->filename : std::string();
    if (!m_kelvoFlarm->enterBinaryMode()) return binaryModeFailure();
    const bool read =
        m_kelvoFlarm->getIGCFile(key, path, [this, &name](int percent, std::size_t written) {
            reportProgress(Progress{std::min(1.0, percent / 100.0), written, name});
        });
    return finishInTextMode(read ? Outcome::success()
                                 : Outcome::failure(stringf("flight %d did not arrive whole; no "
                                                            "file was written",
                                                            key)));
}

Outcome Flarm::readDeclaration(bool /*reload*/) {
    Declaration& declaration = *loggerData().declaration();
    using Setter = void (*)(Declaration&, std::string);
    const std::pair<bool (KelvoFlarm::*)(std::string&), Setter> fields[] = {
        {&KelvoFlarm::getPilotName, [](Declaration& d, std::string t) { d.setPilot1(t); }},
        {&KelvoFlarm::getCompetitionClass,
         [](Declaration& d, std::string t) { d.setCompetitionClassDescription(t); }},
        {&KelvoFlarm::getGliderRegistration, [](Declaration& d, std::string t) { d.setGliderID(t); }},
        {&KelvoFlarm::getCompetitionID, [](Declaration& d, std::string t) { d.setCompetitionID(t); }},
        {&KelvoFlarm::getGliderType, [](Declaration& d, std::string t) { d.setGliderType(t); }},
    };
    const auto failed = [this] {
        loggerData().forget(LoggerPart::Declaration);
        return takeCancellation() ? Outcome::cancelled()
                                  : Outcome::failure("no answer from the Flarm while its "
                                                     "declaration was read");
    };
    for (const auto& [getter, setter] : fields) {
        std::string text;
        if (!((*m_kelvoFlarm).*getter)(text)) return failed();
        setter(declaration, std::move(text));
    }
    // Older units keep no co-pilot and cannot report their task: they refuse the questions.
    const flarm::textcomm::Reply copilot = m_kelvoFlarm->readItem("COPIL");
    if (copilot.status == flarm::textcomm::Reply::Status::Silent) return failed();
    if (copilot.answered()) declaration.setPilot2(copilot.text);
    const auto task = m_kelvoFlarm->readTask();
    m_taskReported = task.has_value();
    if (task) declaration.setTask(IGCTaskRecord::taskOf(*task));
    declaration.setHomePoint(nullptr);
    loggerData().markKnown(LoggerPart::Declaration);
    return Outcome::success();
}

std::optional<DeclarationLimits> Flarm::declarationLimits() const {
    DeclarationLimits limits = FlarmDeclaration::limits();
    limits.reportsTask = m_taskReported;
    return limits;
}

Outcome Flarm::checkIgcDeclaration() {
    using Status = flarm::textcomm::Reply::Status;
    const flarm::textcomm::Reply licence = m_kelvoFlarm->readItem("LIC");
    if (licence.status == Status::Silent) {
        return Outcome::failure("no answer from the Flarm to the question for its licences; "
                                "nothing was written");
    }
    // A unit that knows no licences (it refuses the question) needs none for a declaration.
    if (licence.answered() && licence.text.find("IGC:1") == std::string::npos) {
        return Outcome::refusal("this FLARM has no IGC licence, so it cannot keep a declaration; "
                                "nothing was written");
    }
    const flarm::textcomm::Reply serial = m_kelvoFlarm->readItem("IGCSER");
    if (serial.status == Status::Silent) {
        return Outcome::failure("no answer from the Flarm to the question for its IGC serial "
                                "number; nothing was written");
    }
    if (!serial.answered() || serial.text.empty()) {
        return Outcome::refusal("this FLARM has no IGC serial number, so it is no IGC recorder "
                                "and cannot keep a declaration; nothing was written");
    }
    return Outcome::success();
}

Outcome Flarm::writeDeclarationItems(const Declaration& declaration) {
    for (const FlarmDeclaration::Item& item : FlarmDeclaration::items(declaration)) {
        const flarm::textcomm::Reply reply = m_kelvoFlarm->writeItem(item.name, item.value);
        if (reply.answered()) continue;
        if (takeCancellation()) return Outcome::cancelled();
        const std::string sent = stringf("%s,%s", item.name.c_str(), item.value.c_str());
        if (reply.status == flarm::textcomm::Reply::Status::Refused) {
            return Outcome::failure(stringf("the Flarm refused %s with \"%s\"; its declaration is "
                                            "incomplete",
                                            sent.c_str(), reply.text.c_str()));
        }
        return Outcome::failure(stringf("the Flarm did not confirm %s; its declaration is "
                                        "incomplete",
                                        sent.c_str()));
    }
    return Outcome::success();
}

Outcome Flarm::storeDatabaseAndDeclaration() {
    const Outcome outcome = writeDeclaration();
    if (!outcome) logf("The declaration was not written whole: %s", outcome.reason().c_str());
    return outcome;
}

Outcome Flarm::writeDeclaration() {
    Declaration& declaration = *loggerData().declaration();
    // What is sent is what the read-back is compared with.
    DeclarationFit::apply(declaration, FlarmDeclaration::limits());
    declaration.setHomePoint(nullptr);
    if (Outcome capable = checkIgcDeclaration(); !capable) return capable;
    if (Outcome written = writeDeclarationItems(declaration); !written) return written;
    if (!restartAfterDeclaration()) return Outcome::success();
    logLine("Restarting the Flarm so that its declaration takes effect.");
    if (!m_kelvoFlarm->restart()) {
        return Outcome::failure("the declaration was written, but the Flarm did not answer again "
                                "after its restart");
    }
    return Outcome::success();
}

void Flarm::disconnect() {
    logLine("Calling method 'disconnect' in Flarm class.");
    m_kelvoFlarm->DisconnectFR();
    setConnected(false);
}

}  // namespace kelvo
