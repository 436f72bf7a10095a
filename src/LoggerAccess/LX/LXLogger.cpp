#include "LoggerAccess/LX/LXLogger.h"

#include <chrono>
#include <iterator>
#include <vector>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXTask.h"
#include "LoggerAccess/LX/LXProtocol.h"
#include "LoggerAccess/LX/LXTrackFile.h"
#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Log.h"

// The link of the LX driver: speed search, synchronisation, keep-alive pings and the
// flight-memory transfer primitives. The operations built on them are in
// LXLoggerOperations.cpp.

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// The speeds an LX recorder is searched at, in the order they are tried.
constexpr int kLineSpeeds[] = {57600, 38400, 19200, 9600, 4800};
constexpr auto kSpeedSearchTime = 11s;
constexpr auto kKeepAliveInterval = 1s;

}  // namespace

NativeToIGC LXLogger::nativeToIGC() {
    return &LXTrackFile::convert;
}

std::vector<int> LXLogger::lineSpeeds() {
    return {std::begin(kLineSpeeds), std::end(kLineSpeeds)};
}

LXLogger::LXLogger() : m_serialPort(std::make_unique<LXSerial>()) {
    LXLogger::fillCapabilities();
    startKeepAliveTimer();
}

LXLogger::~LXLogger() {
    stopKeepAliveTimer();
    if (connected()) disconnect();
}

void LXLogger::fillCapabilities() {
    Logger::fillCapabilities();
    LoggerCapabilities& capabilities = mutableCapabilities();
    capabilities.supportsSecure = true;
    capabilities.supportsIGCFile = true;
    capabilities.hasNativeFile = true;
    capabilities.allowsClearFlights = false;
    capabilities.waypointsInRouteAreReferences = true;
    capabilities.maxBaud = 115200;
    capabilities.minBaud = 0;
    capabilities.maxWaypoints = 600;
    capabilities.lenWaypointName = LXTask::kNameLength;  // a waypoint record's name as well
    capabilities.maxRoutes = 100;
    capabilities.keepsRouteNames = false;  // a route record holds only its points
    capabilities.maxWaypointsInRoute = 10;
    capabilities.maxDeclarations = 1;
    capabilities.maxPilots = 1;
    capabilities.maxTaskPoints = LXTask::kMaxTaskPoints;
    capabilities.keptWaypointFields.frequency = false;  // the record's frequency is never written
}

Outcome LXLogger::connect(const std::string& path) {
    m_serialPort->setDescriptor(path);
    if (!m_serialPort->connect()) return Outcome::refusal(m_serialPort->lastError());
    if (connect()) return Outcome::success();
    return Outcome::failure("no LX/SDI/Filser recorder answered on " + path);
}

bool LXLogger::connect() {
    const auto start = std::chrono::steady_clock::now();
    logLine("Entering connect.");
    pauseKeepAliveTimer();
    const std::vector<int> speeds = lineSpeedsToTry(lineSpeeds());
    do {
        for (const int speed : speeds) {
            m_serialPort->setBaudrate(speed);
            delayMilliseconds(50);
            if (startSyn()) {
                resumeKeepAliveTimer();
                setLineSpeed(speed);
                setConnected(true);
                return true;
            }
        }
    } while (std::chrono::steady_clock::now() - start <
             scaledTimeout(connectTimeLimit().count() > 0 ? connectTimeLimit() : kSpeedSearchTime));
    logLine("No response from recorder within 10 seconds.");
    resumeKeepAliveTimer();
    setConnected(false);
    return false;
}

void LXLogger::disconnect() {
    stopKeepAliveTimer();
    setConnected(false);
    m_serialPort->closePort();
}

bool LXLogger::stillConnected() {
    logLine("Calling method 'stillConnected' in LX Logger class.");
    if (!m_serialPort) {
        logLine("No Serial Port.");
        return false;
    }
    if (!connected()) logLine("Not connected.");
    return connected();
}

bool LXLogger::startSyn() {
    if (!m_serialPort) return false;
    for (int step = 0; step < 2; ++step) {
        m_serialPort->writeChar(lx::SYN);
        delayMilliseconds(lx::kSynAnswerWait.count());
        m_serialPort->flushR();
    }
    m_serialPort->writeChar(lx::SYN);
    std::uint8_t reply = 0;
    if (readAnswerByte(reply, lx::kSynAnswerWait) && reply == lx::ACK) {
        logLine("startSyn: Got ACK");
        return true;
    }
    logLine("startSyn: Got no ACK");
    return false;
}

bool LXLogger::ping() {
    bool answered = false;
    for (int attempt = 0; attempt < 5 && !answered; ++attempt) {
        std::uint8_t reply = 0;
        m_serialPort->flushR();
        delayMilliseconds(10);
        m_serialPort->writeChar(lx::SYN);
        readAnswerByte(reply, lx::kPingAnswerWait);
        answered = reply == lx::ACK;
        if (!answered) {
            logf("Did not get good reply from Logger: (%d).", static_cast<std::int8_t>(reply));
            delayMilliseconds(1000);
        }
    }
    m_serialPort->flushR();
    return answered;
}

void LXLogger::startKeepAliveTimer() {
    std::lock_guard lock(m_timerMutex);
    if (m_timerOK) return;
    m_timerStop = false;
    m_keepAliveTimer = std::thread(&LXLogger::keepAliveLoop, this);
    m_timerOK = true;
}

void LXLogger::stopKeepAliveTimer() {
    pauseKeepAliveTimer();
    {
        std::lock_guard lock(m_timerMutex);
        if (!m_timerOK) return;
        m_timerStop = true;
        m_timerOK = false;
    }
    m_timerWake.notify_all();
    if (m_keepAliveTimer.joinable()) m_keepAliveTimer.join();
}

void LXLogger::pauseKeepAliveTimer() {
    m_busy = true;
    // A ping already on the line finishes before the operation's first byte.
    std::lock_guard wait(m_lineMutex);
}

void LXLogger::keepColibriAlive() {
    std::lock_guard line(m_lineMutex);
    if (connected() && timerRunning()) ping();
}

void LXLogger::keepAliveLoop() {
    std::unique_lock lock(m_timerMutex);
    while (!m_timerStop) {
        m_timerWake.wait_for(lock, scaledTimeout(kKeepAliveInterval));
        if (m_timerStop) break;
        lock.unlock();
        keepColibriAlive();
        lock.lock();
    }
}

bool LXLogger::readAnswerByte(std::uint8_t& byte, std::chrono::milliseconds wait) {
    return m_serialPort->readReply(&byte, 1, scaledTimeout(wait) + lx::kByteTimeout) == 1;
}

void LXLogger::writeCommand(lx::Command command, std::chrono::milliseconds pauseBetween,
                            std::chrono::milliseconds pauseAfter) {
    m_serialPort->writeChar(lx::STX);
    delayMilliseconds(pauseBetween.count());
    m_serialPort->writeChar(lx::byteOf(command));
    delayMilliseconds(pauseAfter.count());
}

void LXLogger::getMemoryInfo() {
    m_serialPort->flushR();
    writeCommand(lx::Command::ReadMemoryInfo, lx::kByteGap, lx::kByteGap);
    // The information and its CRC byte, read as one answer.
    Bytes info(LXMemory::kSize + 1, 0);
    const int count = m_serialPort->readBuffer(info.data(), static_cast<int>(info.size()));
    const std::uint8_t crc = info.back();
    info.pop_back();
    m_loggerMemory = count > 0 ? LXMemory(info) : LXMemory::makeDefaultMemoryInfo();
    if (count == static_cast<int>(LXMemory::kSize) + 1 && crc != CRC8::calc_crc(info, 0xFF)) {
        logLine("MemoryInfo CRC Failed");
    }
}

bool LXLogger::selectBlock(const LXMemory& range) {
    logLine("Entering SelectBlock.");
    if (!startSyn()) {
        logLine("Leaving SelectBlock (NO).");
        return false;
    }
    writeCommand(lx::Command::SelectRange, lx::kByteGap, lx::kByteGap);
    // The positions travel low byte first here.
    LXMemory payload = range;
    payload.swap();
    m_serialPort->writeBlock(payload.getData());
    delayMilliseconds(10);
    for (int attempt = 0; attempt < 49; ++attempt) {
        std::uint8_t reply = 0;
        readAnswerByte(reply, lx::kCommandGap);
        if (reply == lx::ACK) {
            logLine("Leaving SelectBlock (YES).");
            return true;
        }
        logf("Got %d (0x%x) in stead of ACK.", reply, reply);
    }
    logLine("Leaving SelectBlock (NO).");
    return false;
}

std::optional<Bytes> LXLogger::getFlightBlock(std::int32_t se, std::int32_t ee, bool* intact) {
    logf("Entering getFlightBlock (se:%d (0x%X), ee:%d (0x%X)).", se, se, ee, ee);
    LXMemory range;
    range.setStartPos(static_cast<std::uint16_t>(se % lx::kPageSize));
    range.setStartPage(static_cast<std::uint8_t>(se / lx::kPageSize));
    range.setEndPos(static_cast<std::uint16_t>(ee % lx::kPageSize));
    range.setEndPage(static_cast<std::uint8_t>(ee / lx::kPageSize));
    logLine("Made a new LXMemory ...");
    range.log();
    bool selected = false;
    for (int attempt = 0; attempt < 3 && !selected; ++attempt) selected = selectBlock(range);
    if (!selected) {
        logLine("Leaving getFlightBlock ... returning nil cos selectBlock Failed thrice.");
        if (intact) *intact = false;
        return std::nullopt;
    }
    Bytes result;
    if (!startSyn()) {
        logLine("Leaving getFlightBlock.");
        if (intact) *intact = false;
        return result;
    }
    m_serialPort->flushBuffers();
    delayMilliseconds(10);
    writeCommand(lx::Command::ReadBlockSizes, lx::kCommandGap, lx::kNoGap);
    std::uint8_t table[32] = {};
    const int count = m_serialPort->readBuffer(table, sizeof table);
    // The table's CRC byte follows; it is not checked, but taken off the line before the
    // blocks are asked for.
    std::uint8_t unchecked = 0;
    readAnswerByte(unchecked, lx::kNoGap);
    HSSerialPort::dumpBuffer(table, sizeof table);
    // The table carries no CRC: a noisy line could ask for sixteen blocks of 64 kB. Blocks
    // are read only while they fit in the range, and not after one that failed.
    bool whole = count == sizeof table;
    std::int32_t left = ee - se;
    if (left < 0) left += (m_loggerMemory.endPage() - m_loggerMemory.startPage() + 1) * lx::kPageSize;
    for (int block = 0; whole && block < lx::kFlightBlocks; ++block) {
        const int size = getU16BE(table, 2 * static_cast<std::size_t>(block));
        if (size == 0) break;
        if (size > left) {
            logf("Block %d of %d bytes does not fit in the range; the size table is corrupt.",
                 block, size);
            whole = false;
            break;
        }
        left -= size;
        const auto command =
            static_cast<lx::Command>(lx::byteOf(lx::Command::ReadFlightBlock) + block);
        const Bytes data = *readBlockAskingAgain(
            [&] {
                m_serialPort->flushBuffers();
                writeCommand(command, lx::kCommandGap, lx::kCommandGap);
                return true;
            },
            size);
        result.insert(result.end(), data.begin(), data.end());
        whole = m_serialPort->lastBlockOK();
    }
    if (!whole && intact) *intact = false;
    logLine("Leaving getFlightBlock.");
    return result;
}

std::optional<Bytes> LXLogger::getDecryptBlock() {
    return readBlockAskingAgain(
        [this] {
            if (!startSyn()) return false;
            m_serialPort->flushBuffers();
            writeCommand(lx::Command::ReadSecurityBlock, lx::kByteGap, lx::kByteGap);
            return true;
        },
        256);
}

std::optional<Bytes> LXLogger::readBlockAskingAgain(const std::function<bool()>& ask, int size,
                                                    const LXSerial::BlockProgress& progress) {
    if (!ask()) return std::nullopt;
    Bytes block = m_serialPort->readBlockWithSize(size, progress);
    if (m_serialPort->lastBlockOK() || cancellationRequested()) return block;
    logf("Asking again for the block of %d bytes.", size);
    // An answer that has not begun may still be on its way; one that was cut off has
    // already left the line quiet for the gap, and a whole one is complete.
    if (block.empty()) m_serialPort->awaitQuiet();
    if (!ask()) return block;
    return m_serialPort->readBlockWithSize(size, progress);
}

}  // namespace kelvo
