#include "LoggerAccess/Logger.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "LoggerAccess/LoggerLimits.h"
#include "base/Cancellation.h"
#include "base/Format.h"
#include "base/Log.h"

namespace kelvo {
namespace {

void logAbstract(const char* method) {
    logf("Calling abstract method '%s' in Logger class.", method);
}

Outcome abstractOperation(const char* method) {
    logAbstract(method);
    return Outcome::refusal("this recorder type cannot do that");
}

}  // namespace

Logger::Logger() : m_loggerData(std::make_unique<LoggerData>()) {
    Logger::fillCapabilities();
}

Logger::~Logger() {
    m_loggerData.reset();
    if (m_connected) Logger::disconnect();
}

std::string Logger::loggerName() {
    logLine("Calling abstract class method 'loggerName' in Logger class.");
    return "Not a valid Logger.";
}

char Logger::loggerChar() {
    logAbstract("loggerChar");
    return ' ';
}

std::string Logger::nativeTrackFileExtension() {
    logAbstract("nativeTrackFileExtension");
    return "   ";
}

int Logger::connectionType() {
    return 0;
}

std::string Logger::generateSerialNumberFrom(std::int64_t number) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    constexpr std::int64_t kCodes = 36 * 36 * 36;
    const std::int64_t n = ((number % kCodes) + kCodes) % kCodes;
    return {kDigits[n / 1296], kDigits[(n / 36) % 36], kDigits[n % 36]};
}

void Logger::fillCapabilities() {
    m_loggerCapabilities = LoggerCapabilities{};
}

bool Logger::canSaveLoggerDataToLogger() {
    return false;
}

Outcome Logger::connect(const std::string&) {
    logAbstract("connect");
    return Outcome::failure("this recorder type cannot connect");
}

bool Logger::stillConnected() {
    logAbstract("stillConnected");
    return false;
}

Outcome Logger::readInfo() {
    return abstractOperation("getInfo");
}

Outcome Logger::readDirectory(bool) {
    return abstractOperation("readDirectory");
}

Outcome Logger::clearDirectory() {
    return abstractOperation("clearDirectory");
}

Outcome Logger::readFile(const std::filesystem::path&, int, bool, bool, const FlightEntry*) {
    return abstractOperation("readIGCFile");
}

Outcome Logger::readWaypoints(bool) {
    return abstractOperation("readWaypoints");
}

Outcome Logger::readRoutes(bool) {
    return abstractOperation("readRoutes");
}

Outcome Logger::readPilots(bool) {
    return abstractOperation("readPilots");
}

Outcome Logger::readDeclaration(bool) {
    return abstractOperation("readDeclaration");
}

Outcome Logger::writeDatabaseAndDeclaration() {
    if (!storesWaypoints() && !storesRoutes() && !storesDeclaration()) {
        return Outcome::refusal("this recorder does not take waypoints or a declaration");
    }
    for (const auto& [stored, part, name] :
         {std::tuple{storesWaypoints(), LoggerPart::Waypoints, "waypoints"},
          std::tuple{storesRoutes(), LoggerPart::Routes, "routes"},
          std::tuple{storesDeclaration(), LoggerPart::Declaration, "declaration"}}) {
        if (stored && !loggerData().isKnown(part)) {
            return Outcome::refusal(stringf(
                "the recorder's %s were not read in this connection; nothing was written", name));
        }
    }
    const std::vector<std::string> excess = LoggerLimits::excess(loggerData(), capabilities());
    if (!excess.empty()) return Outcome::refusal(excess.front() + "; nothing was written");
    return storeDatabaseAndDeclaration();
}

Outcome Logger::storeDatabaseAndDeclaration() {
    return abstractOperation("writeDatabaseAndDeclaration");
}

void Logger::setPreferredLineSpeed(int baud) {
    m_preferredLineSpeed = baud;
    m_lineSpeedFixed = false;
}

void Logger::setFixedLineSpeed(int baud) {
    m_preferredLineSpeed = baud;
    m_lineSpeedFixed = true;
}

std::vector<int> Logger::lineSpeedsToTry(const std::vector<int>& familySpeeds) const {
    if (m_lineSpeedFixed) return {m_preferredLineSpeed};
    std::vector<int> speeds = familySpeeds;
    const auto preferred = std::find(speeds.begin(), speeds.end(), m_preferredLineSpeed);
    if (preferred != speeds.end()) std::rotate(speeds.begin(), preferred, preferred + 1);
    return speeds;
}

bool Logger::takeCancellation() {
    if (!cancellationRequested()) return false;
    clearCancellation();
    return true;
}

std::optional<DeclarationLimits> Logger::declarationLimits() const {
    return std::nullopt;
}

void Logger::disconnect() {
    logAbstract("disconnect");
}

std::string Logger::generateFileName() {
    return "";
}

void Logger::setKeyspanAccelleration(bool) {}

void Logger::setProgressHandler(ProgressHandler handler) {
    const std::lock_guard lock(m_progressMutex);
    m_progressHandler = std::move(handler);
}

void Logger::reportProgress(const Progress& progress) const {
    ProgressHandler handler;
    {
        const std::lock_guard lock(m_progressMutex);
        handler = m_progressHandler;
    }
    if (handler) handler(progress);
}

void Logger::reportProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                            std::string text) const {
    Progress progress{std::nullopt, bytesDone, std::move(text)};
    if (bytesTotal != 0) {
        progress.fraction =
            std::min(1.0, static_cast<double>(bytesDone) / static_cast<double>(bytesTotal));
    }
    reportProgress(progress);
}

}  // namespace kelvo
