#include "LoggerAccess/Logger.h"

#include <algorithm>
#include <utility>

#include "base/Log.h"

namespace kelvo {
namespace {

void logAbstract(const char* method) {
    logf("Calling abstract method '%s' in Logger class.", method);
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

void Logger::readInfo() {
    logAbstract("getInfo");
}

void Logger::readDirectory(bool) {
    logAbstract("readDirectory");
}

bool Logger::clearDirectory() {
    logAbstract("clearDirectory");
    return false;
}

bool Logger::readFile(const std::filesystem::path&, int, bool, bool, const FlightEntry*) {
    logAbstract("readIGCFile");
    return false;
}

void Logger::readWaypoints(bool) {
    logAbstract("readWaypoints");
}

void Logger::readRoutes(bool) {
    logAbstract("readRoutes");
}

void Logger::readPilots(bool) {
    logAbstract("readPilots");
}

void Logger::readDeclaration(bool) {
    logAbstract("readDeclaration");
}

bool Logger::writeDatabaseAndDeclaration() {
    logAbstract("writeDatabaseAndDeclaration");
    return false;
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
