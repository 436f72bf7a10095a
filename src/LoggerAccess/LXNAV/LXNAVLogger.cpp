#include "LoggerAccess/LXNAV/LXNAVLogger.h"

#include <algorithm>
#include <any>

#include "LoggerAccess/DeclarationFit.h"
#include "LoggerAccess/LXNAV/LXNAVBlockTransfer.h"
#include "LoggerAccess/LXNAV/LXNAVDeclaration.h"
#include "LoggerAccess/LXNAV/LXNAVFlightList.h"
#include "LoggerAccess/LXNAV/LXNAVLink.h"
#include "LoggerAccess/LXNAV/LXNAVRowTransfer.h"
#include "LoggerAccess/TerminalPort.h"
#include "base/AtomicFile.h"
#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Format.h"
#include "base/Log.h"
#include "geo/Declaration.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// The recorder answers its identity at once; a port where nothing answers costs this much
// a speed.
constexpr auto kIdentifyWait = 500ms;
// While the families are tried in turn: its answer of about 100 bytes takes 52 ms at 19200
// baud, so a quarter second tells a recorder that is there.
constexpr auto kProbeWait = 250ms;

// The INFO answer: product, software version, build date, serial, battery voltage, backup
// battery voltage, pressure altitude, engine noise level and logger status.
enum InfoField {
    Product,
    Software,
    BuildDate,
    Serial,
    Battery,
    BackupBattery,
    Altitude,
    Noise,
    Status
};

std::string statusName(const std::string& status) {
    if (status == "0") return "stopped";
    if (status == "1") return "ready";
    if (status == "2") return "recording";
    return "unknown (" + status + ")";
}

}  // namespace

LXNAVLogger::LXNAVLogger()
    : m_port(std::make_unique<TerminalPort>()),
      m_link(std::make_unique<LXNAVLink>(*m_port)),
      m_rows(std::make_unique<LXNAVRowTransfer>(*m_link)),
      m_blocks(std::make_unique<LXNAVBlockTransfer>(*m_link)) {
    LXNAVLogger::fillCapabilities();
}

LXNAVLogger::~LXNAVLogger() {
    if (connected()) LXNAVLogger::disconnect();
}

void LXNAVLogger::fillCapabilities() {
    Logger::fillCapabilities();
    LoggerCapabilities& capabilities = mutableCapabilities();
    capabilities.supportsIGCFile = true;
    capabilities.maxBaud = 115200;
    capabilities.minBaud = 9600;
    capabilities.maxDeclarations = 1;
    capabilities.maxPilots = 2;
    capabilities.lenPilotName = LXNAVDeclaration::kTextLength;
    capabilities.maxTaskPoints = LXNAVDeclaration::kMaxTaskPoints;
}

Outcome LXNAVLogger::concluded(Outcome outcome) {
    if (takeCancellation() && !outcome) return Outcome::cancelled();
    if (!outcome) logLine(outcome.reason());
    return outcome;
}

std::optional<std::vector<std::string>> LXNAVLogger::identify(std::chrono::milliseconds within) {
    const auto answer = m_link->ask("INFO,R", {"INFO,A"}, within);
    if (!answer || answer->arguments.size() <= Serial) return std::nullopt;
    return answer->arguments;
}

Outcome LXNAVLogger::connect(const std::string& path) {
    setPortDescriptor(path);
    if (!m_port->open(path)) return concluded(Outcome::refusal(m_port->lastError()));
    const std::vector<int> speeds = lineSpeedsToTry(lineSpeeds());
    // The remembered speed and the usual one are always tried, the others while the bound
    // on the search leaves time for them.
    const std::size_t alwaysTried = speeds.front() == lineSpeeds().front() ? 1 : 2;
    const bool bounded = connectTimeLimit().count() > 0;
    const std::chrono::milliseconds wait = bounded ? kProbeWait : kIdentifyWait;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < speeds.size() && !cancellationRequested(); ++i) {
        if (i >= alwaysTried && bounded &&
            std::chrono::steady_clock::now() - start + scaledTimeout(wait) >
                scaledTimeout(connectTimeLimit())) {
            break;
        }
        if (!m_port->setSpeed(speeds[i])) continue;
        if (const auto info = identify(wait)) {
            logf("An LXNAV %s answered at %d baud.", (*info)[Product].c_str(), speeds[i]);
            m_recording = info->size() > Status && (*info)[Status] == "2";
            setLineSpeed(speeds[i]);
            setConnected(true);
            return Outcome::success();
        }
    }
    m_port->close();
    return concluded(Outcome::failure("no LXNAV recorder answered on " + path));
}

Outcome LXNAVLogger::readInfo() {
    const auto info = identify(kIdentifyWait);
    if (!info) {
        return concluded(Outcome::failure("no answer from the recorder to its identity question"));
    }
    auto field = [&info](InfoField index) {
        return info->size() > static_cast<std::size_t>(index) ? std::optional((*info)[index])
                                                              : std::nullopt;
    };
    m_recording = field(Status) == "2";
    loggerData().setLoggerInfoObject(field(Product), "Product");
    loggerData().setLoggerInfoObject(field(Software), "Software version");
    loggerData().setLoggerInfoObject(field(Serial), "Serial number");
    const auto battery = field(Battery);
    const auto status = field(Status);
    loggerData().setLoggerInfoObject(battery ? std::optional(*battery + " V") : std::nullopt,
                                     "Battery");
    loggerData().setLoggerInfoObject(status ? std::optional(statusName(*status)) : std::nullopt,
                                     "Logger status");
    return Outcome::success();
}

Outcome LXNAVLogger::readDirectory(bool /*reload*/) {
    std::vector<FlightEntry> entries;
    const Outcome outcome = LXNAVFlightList(*m_link).read(entries);
    loggerData().clearFlightDirectory();
    if (!outcome) return concluded(outcome);
    for (FlightEntry& entry : entries) loggerData().addFlightToDirectory(std::move(entry));
    return outcome;
}

Outcome LXNAVLogger::clearDirectory() {
    return concluded(
        Outcome::refusal("an LXNAV recorder's flights are deleted on the recorder itself"));
}

Outcome LXNAVLogger::readFile(const std::filesystem::path& path, int key, bool /*secure*/,
                              bool /*translateToIGC*/, const FlightEntry* entry) {
    if (!entry) {
        const auto& directory = loggerData().flightDirectory();
        const auto listed = std::find_if(directory.begin(), directory.end(),
                                         [key](const FlightEntry& e) { return e.key() == key; });
        entry = listed == directory.end() ? nullptr : &*listed;
    }
    const auto* flight = entry ? std::any_cast<LXNAVFlight>(&entry->driverRecord) : nullptr;
    if (!flight) {
        return concluded(
            Outcome::refusal(stringf("flight %d is not in the recorder's flight list", key)));
    }
    if (m_recording) {
        logLine("The recorder is recording a flight; the download may slow it down.");
        reportProgress(
            Progress{0.0, 0, "The recorder is recording a flight; downloading " + flight->file});
    }
    std::string contents;
    std::optional<Outcome> outcome;
    if (flight->size && !m_blocksUnanswered) {
        outcome = m_blocks->fetch(flight->file, *flight->size, contents,
                                  [this, flight](std::uint64_t bytes, std::uint64_t size) {
                                      reportProgress(bytes, size, flight->file);
                                  });
        if (!outcome) {
            m_blocksUnanswered = true;
            logLine("No answer to the block transfer: the firmware lacks it; reading rows.");
        } else if (!*outcome && outcome->kind() != Outcome::Kind::Cancelled &&
                   !cancellationRequested()) {
            logf("The block transfer failed (%s); reading rows.", outcome->reason().c_str());
            outcome.reset();
        }
    }
    if (!outcome) {
        outcome = m_rows->fetch(
            flight->file, contents,
            [this, flight](std::uint64_t bytes, std::size_t rows, std::size_t count) {
                reportProgress(
                    Progress{count ? std::optional(double(rows) / double(count)) : std::nullopt,
                             bytes, flight->file});
            });
    }
    if (!*outcome) return concluded(*outcome);
    if (!writeFileAtomically(path, contents)) {
        return concluded(Outcome::failure("could not write " + path.string()));
    }
    logf("%s: %zu bytes written to %s.", flight->file.c_str(), contents.size(),
         path.string().c_str());
    return Outcome::success();
}

Outcome LXNAVLogger::readDeclaration(bool /*reload*/) {
    Declaration held;
    const Outcome outcome = LXNAVDeclaration(*m_link).read(held);
    if (!outcome) {
        loggerData().forget(LoggerPart::Declaration);
        return concluded(outcome);
    }
    *loggerData().declaration() = held;
    loggerData().markKnown(LoggerPart::Declaration);
    return outcome;
}

std::optional<DeclarationLimits> LXNAVLogger::declarationLimits() const {
    return LXNAVDeclaration::limits();
}

Outcome LXNAVLogger::storeDatabaseAndDeclaration() {
    Declaration& declaration = *loggerData().declaration();
    // What is sent is what the read-back is compared with.
    DeclarationFit::apply(declaration, LXNAVDeclaration::limits());
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    return concluded(LXNAVDeclaration(*m_link).write(declaration, now));
}

void LXNAVLogger::disconnect() {
    m_port->close();
    setConnected(false);
}

}  // namespace kelvo
