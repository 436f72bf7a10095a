#include "sim/LX/LXRecorderEmulator.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LX/LXProtocol.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "geo/Declaration.h"

namespace kelvo::sim {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kPageSize = lx::kPageSize;
constexpr std::size_t kDirectoryRecordSize = 96;
constexpr std::size_t kBlockCount = lx::kFlightBlocks;
constexpr std::uint8_t kFirstBlockCommand = lx::byteOf(lx::Command::ReadFlightBlock);
// A host writing a block sends its bytes back to back; a longer gap ends the block.
constexpr auto kBlockByteTimeout = 500ms;

std::uint8_t crcOf(ByteSpan data) {
    return CRC8::calc_crc(data, 0xFF);
}

}  // namespace

LXRecorderEmulator::LXRecorderEmulator(PseudoTerminal& line, int lineSpeed)
    : m_line(line),
      m_lineSpeed(lineSpeed),
      m_database(kDatabaseSize, 0),
      m_declaration(kDeclarationSize, 0) {
    setMemoryPages(8, 15);
    m_thread = std::thread(&LXRecorderEmulator::run, this);
}

LXRecorderEmulator::~LXRecorderEmulator() {
    m_stop = true;
    m_thread.join();
}

void LXRecorderEmulator::setIdentification(std::string text) {
    std::lock_guard lock(m_mutex);
    m_identification = std::move(text);
}

void LXRecorderEmulator::setRecorder(std::string manufacturer, std::uint16_t serialNumber) {
    std::lock_guard lock(m_mutex);
    m_manufacturer = std::move(manufacturer);
    m_serialNumber = serialNumber;
}

void LXRecorderEmulator::setMemoryPages(std::uint8_t first, std::uint8_t last) {
    std::lock_guard lock(m_mutex);
    m_firstPage = first;
    m_lastPage = std::max(first, last);
    m_memory.assign((m_lastPage - m_firstPage + 1) * std::size_t{kPageSize}, 0);
    m_flights.clear();
    m_nextAddress = ringStart() + 100;
}

void LXRecorderEmulator::setAnswersMemoryInfo(bool answers) {
    std::lock_guard lock(m_mutex);
    m_answersMemoryInfo = answers;
}

std::uint32_t LXRecorderEmulator::ringStart() const {
    return m_firstPage * kPageSize;
}
std::uint32_t LXRecorderEmulator::ringEnd() const {
    return (m_lastPage + 1u) * kPageSize;
}

std::uint32_t LXRecorderEmulator::addFlight(const LXEmulatedFlight& flight,
                                            std::optional<std::uint32_t> startAddress) {
    std::lock_guard lock(m_mutex);
    const std::uint32_t ringSize = ringEnd() - ringStart();
    const std::uint32_t start = startAddress.value_or(m_nextAddress);
    for (std::size_t i = 0; i < flight.native.size(); ++i) {
        m_memory[(start - ringStart() + i) % ringSize] = flight.native[i];
    }
    const std::uint32_t end = ringStart() + (start - ringStart() + flight.native.size()) % ringSize;
    m_flights.push_back({flight, start, end});
    m_nextAddress = end;
    return start;
}

void LXRecorderEmulator::setBlockSize(std::size_t size) {
    std::lock_guard lock(m_mutex);
    m_blockSize = std::max<std::size_t>(size, 1);
}

void LXRecorderEmulator::setDatabase(Bytes database) {
    std::lock_guard lock(m_mutex);
    database.resize(kDatabaseSize, 0);
    m_database = std::move(database);
}

void LXRecorderEmulator::setDeclaration(Bytes declaration) {
    std::lock_guard lock(m_mutex);
    declaration.resize(kDeclarationSize, 0);
    m_declaration = std::move(declaration);
}

void LXRecorderEmulator::setDatabase(std::vector<std::shared_ptr<Waypoint>> waypoints,
                                     const std::vector<std::shared_ptr<Route>>& routes) {
    setDatabase(LXLogger::databaseBlock(waypoints, routes).value_or(Bytes{}));
}

void LXRecorderEmulator::setDeclaration(const Declaration& declaration, std::string className) {
    setDeclaration(LXLogger::declarationBlock(declaration));
    setClassName(std::move(className));
}

void LXRecorderEmulator::setClassName(std::string name) {
    std::lock_guard lock(m_mutex);
    m_className = std::move(name);
}

void LXRecorderEmulator::setSilent(bool silent) {
    std::lock_guard lock(m_mutex);
    m_silent = silent;
}

void LXRecorderEmulator::alterStoredPilot(bool alter) {
    std::lock_guard lock(m_mutex);
    m_alterPilot = alter;
}

void LXRecorderEmulator::alterStoredDatabase(bool alter) {
    std::lock_guard lock(m_mutex);
    m_alterDatabase = alter;
}

void LXRecorderEmulator::damageDirectoryRecord(std::size_t index, std::size_t offset,
                                               std::uint8_t value) {
    std::lock_guard lock(m_mutex);
    m_directoryDamage = ByteDamage{index, std::min(offset, kDirectoryRecordSize - 1), value};
}

void LXRecorderEmulator::ignoreCommand(std::uint8_t command) {
    std::lock_guard lock(m_mutex);
    m_ignoredCommand = command;
}

void LXRecorderEmulator::corruptCrcOf(std::uint8_t command) {
    std::lock_guard lock(m_mutex);
    m_corruptCommand = command;
}

void LXRecorderEmulator::corruptDirectoryRecord(std::size_t index) {
    std::lock_guard lock(m_mutex);
    m_corruptDirectoryRecord = index;
}

void LXRecorderEmulator::dropLineAfter(std::size_t bytes) {
    std::lock_guard lock(m_mutex);
    m_sendBudget = bytes;
}

void LXRecorderEmulator::setSynAnswerDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(m_mutex);
    m_synDelay = delay;
}

Bytes LXRecorderEmulator::database() const {
    std::lock_guard lock(m_mutex);
    return m_database;
}

Bytes LXRecorderEmulator::declaration() const {
    std::lock_guard lock(m_mutex);
    return m_declaration;
}

std::string LXRecorderEmulator::className() const {
    std::lock_guard lock(m_mutex);
    return m_className;
}

std::vector<std::uint8_t> LXRecorderEmulator::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<LXSelection> LXRecorderEmulator::selections() const {
    std::lock_guard lock(m_mutex);
    return m_selections;
}

std::vector<Bytes> LXRecorderEmulator::selectionPayloads() const {
    std::lock_guard lock(m_mutex);
    return m_selectionPayloads;
}

void LXRecorderEmulator::run() {
    while (!m_stop) {
        const auto byte = m_line.readByte(20ms);
        if (!byte) continue;
        std::lock_guard lock(m_mutex);
        // At another line speed the recorder hears only noise.
        if (m_silent || m_line.lineSpeed() != m_lineSpeed) {
            m_afterStx = false;
            continue;
        }
        handle(*byte);
    }
}

void LXRecorderEmulator::handle(std::uint8_t byte) {
    if (m_afterStx) {
        m_afterStx = false;
        if (byte == lx::SYN) ++m_protocolErrors;
        command(byte);
        return;
    }
    if (byte == lx::SYN) {
        answerSyn();
    } else if (byte == lx::STX) {
        m_afterStx = true;
    }
}

void LXRecorderEmulator::answerSyn() {
    ++m_synCount;
    if (m_synDelay > 0ms) {
        std::this_thread::sleep_for(m_synDelay);
        // The host waits for this answer; anything it sends meanwhile broke in.
        pollfd pending{m_line.masterFd(), POLLIN, 0};
        if (::poll(&pending, 1, 0) > 0 && (pending.revents & POLLIN)) ++m_protocolErrors;
    }
    send(Bytes{lx::ACK});
}

void LXRecorderEmulator::command(std::uint8_t code) {
    m_commands.push_back(code);
    if (m_ignoredCommand == code) return;
    if (code >= kFirstBlockCommand && code < kFirstBlockCommand + kBlockCount) {
        const auto block = static_cast<std::size_t>(code - kFirstBlockCommand);
        const auto sizes = blockSizes();
        std::size_t offset = 0;
        for (std::size_t i = 0; i < block; ++i) offset += sizes[i];
        // The sizes partition the reply, so every block lies inside it.
        sendBlock(code, ByteSpan(m_rangeReply).subspan(offset, sizes[block]));
        return;
    }
    switch (code) {
        case lx::byteOf(lx::Command::ReadIdentification):
            if (!m_identification.empty()) {
                Bytes text(m_identification.begin(), m_identification.end());
                text.push_back(0);
                send(text);
            }
            break;
        case lx::byteOf(lx::Command::ReadDeclaration):
            sendBlock(code, m_declaration);
            break;
        case lx::byteOf(lx::Command::WriteDeclaration):
            if (auto block = receiveBlock(kDeclarationSize)) {
                m_declaration = std::move(*block);
                // The pilot's name starts the flight record, after the block's leading byte.
                constexpr std::size_t kPilotByte = 1 + 2;
                if (m_alterPilot) m_declaration[kPilotByte] ^= 0x01;
                send(Bytes{lx::ACK});
            }
            break;
        case lx::byteOf(lx::Command::ReadSecurityBlock): {
            std::array<std::uint8_t, 256> security{};
            const std::uint32_t selected = m_selections.empty() ? 0 : m_selections.back().start;
            for (const auto& stored : m_flights) {
                if (stored.start == selected) security = stored.flight.securityBlock;
            }
            sendBlock(code, security);
            break;
        }
        case lx::byteOf(lx::Command::ReadBlockSizes):
            sendSizes();
            break;
        case lx::byteOf(lx::Command::ReadDirectory):
            sendDirectory();
            break;
        case lx::byteOf(lx::Command::SelectRange):
            if (auto block = receiveBlock(6)) {
                const Bytes& range = *block;
                const LXSelection selection{range[2] * kPageSize + (range[0] | (range[1] << 8)),
                                            range[5] * kPageSize + (range[3] | (range[4] << 8))};
                m_selections.push_back(selection);
                m_selectionPayloads.push_back(range);
                m_rangeReply = rangeData(selection);
                send(Bytes{lx::ACK});
            }
            break;
        case lx::byteOf(lx::Command::ReadClassName): {
            Bytes name(kClassNameSize, 0);
            std::copy_n(m_className.begin(), std::min(m_className.size(), kClassNameSize - 1),
                        name.begin());
            sendBlock(code, name);
            break;
        }
        case lx::byteOf(lx::Command::WriteClassName):
            if (auto block = receiveBlock(kClassNameSize)) {
                m_className = getText(*block, 0, kClassNameSize);
                send(Bytes{lx::ACK});
            }
            break;
        case lx::byteOf(lx::Command::ReadMemoryInfo):
            if (m_answersMemoryInfo) {
                Bytes info(6, 0);
                putU16BE(info, 0, 0);
                info[2] = m_firstPage;
                putU16BE(info, 3, static_cast<std::uint16_t>(kPageSize));
                info[5] = m_lastPage;
                sendBlock(code, info);
            }
            break;
        case lx::byteOf(lx::Command::ReadDatabase):
            sendBlock(code, m_database);
            break;
        case lx::byteOf(lx::Command::WriteDatabase):
            if (auto block = receiveBlock(kDatabaseSize)) {
                m_database = std::move(*block);
                if (m_alterDatabase) alterDatabase();
            }
            break;
        default:
            break;
    }
}

void LXRecorderEmulator::alterDatabase() {
    for (std::size_t i = LXLogger::kMaxWaypoints; i-- > 0;) {
        LXTurnpoint record(m_database, LXTurnpoint::kSize * i);
        if (record.prg() == 0) continue;
        record.setAltitude(static_cast<std::int16_t>(record.altitude() - 100));
        std::copy(record.bytes().begin(), record.bytes().end(),
                  m_database.begin() + static_cast<std::ptrdiff_t>(LXTurnpoint::kSize * i));
        return;
    }
}

std::optional<Bytes> LXRecorderEmulator::receiveBlock(std::size_t size) {
    Bytes block;
    while (block.size() < size + 1) {
        const Bytes part = m_line.readSome(size + 1 - block.size(), kBlockByteTimeout);
        if (part.empty()) break;
        block.insert(block.end(), part.begin(), part.end());
    }
    if (block.size() < size + 1 || !CRC8::check_crc(block, 0xFF)) {
        ++m_protocolErrors;
        return std::nullopt;
    }
    block.pop_back();
    return block;
}

void LXRecorderEmulator::send(ByteSpan bytes) {
    if (m_silent) return;
    if (m_sendBudget) {
        const std::size_t count = std::min(*m_sendBudget, bytes.size());
        m_line.write(bytes.first(count));
        *m_sendBudget -= count;
        if (*m_sendBudget == 0) m_silent = true;
        return;
    }
    m_line.write(bytes);
}

void LXRecorderEmulator::sendBlock(std::uint8_t command, ByteSpan data) {
    Bytes block(data.begin(), data.end());
    std::uint8_t crc = crcOf(data);
    if (m_corruptCommand == command) crc ^= 0x5A;
    block.push_back(crc);
    send(block);
}

void LXRecorderEmulator::sendSizes() {
    Bytes table(2 * kBlockCount, 0);
    const auto sizes = blockSizes();
    for (std::size_t i = 0; i < kBlockCount; ++i) {
        putU16BE(table, 2 * i, static_cast<std::uint16_t>(sizes[i]));
    }
    send(table);
}

std::vector<std::size_t> LXRecorderEmulator::blockSizes() const {
    std::vector<std::size_t> sizes(kBlockCount, 0);
    const std::size_t block =
        std::max(m_blockSize, (m_rangeReply.size() + kBlockCount - 1) / kBlockCount);
    std::size_t left = m_rangeReply.size();
    for (auto& size : sizes) {
        size = std::min(block, left);
        left -= size;
    }
    return sizes;
}

Bytes LXRecorderEmulator::rangeData(const LXSelection& selection) const {
    const std::uint32_t ringSize = ringEnd() - ringStart();
    const auto inRing = [&](std::uint32_t address) {
        return address >= ringStart() && address <= ringEnd();
    };
    if (!inRing(selection.start) || !inRing(selection.end)) return {};
    const std::uint32_t count = selection.end >= selection.start
                                    ? selection.end - selection.start
                                    : ringSize - (selection.start - selection.end);
    Bytes data(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        data[i] = m_memory[(selection.start - ringStart() + i) % ringSize];
    }
    return data;
}

Bytes LXRecorderEmulator::directoryRecord(std::size_t index) const {
    Bytes record(kDirectoryRecordSize, 0);
    if (index >= m_flights.size()) return record;
    const StoredFlight& stored = m_flights[index];
    const LXEmulatedFlight& flight = stored.flight;
    record[0] = index + 1 < m_flights.size() ? 1 : 2;
    putU16BE(record, 1, stored.start % kPageSize);
    putU16BE(record, 3, static_cast<std::uint16_t>(stored.start / kPageSize));
    putU16BE(record, 5, stored.end % kPageSize);
    putU16BE(record, 7, static_cast<std::uint16_t>(stored.end / kPageSize));
    putText(record, 9, 8, flight.date);
    putText(record, 18, 8, flight.start);
    putText(record, 27, 8, flight.stop);
    putText(record, 40, 18, flight.pilot);
    putText(record, 59, 31, m_manufacturer);
    putU16BE(record, 91, m_serialNumber);
    putU16BE(record, 93, flight.flightNumber);
    record[95] = crcOf(ByteSpan(record).first(kDirectoryRecordSize - 1));
    if (m_corruptDirectoryRecord == index) record[95] ^= 0x5A;
    if (m_directoryDamage && m_directoryDamage->record == index) {
        record[m_directoryDamage->offset] = m_directoryDamage->value;
    }
    return record;
}

void LXRecorderEmulator::sendDirectory() {
    Bytes reply;
    const std::size_t count = std::max<std::size_t>(m_flights.size(), 1);
    for (std::size_t i = 0; i < count; ++i) {
        const Bytes record = directoryRecord(i);
        reply.insert(reply.end(), record.begin(), record.end());
    }
    send(reply);
}

}  // namespace kelvo::sim
