#include "sim/Volkslogger/VolksloggerEmulator.h"

#include <algorithm>

#include "base/Crc16.h"
#include "base/Delay.h"

namespace kelvo::sim {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;
constexpr std::uint8_t ENQ = 0x05;
constexpr std::uint8_t ACK = 0x06;
constexpr std::uint8_t DLE = 0x10;
constexpr std::uint8_t NAK = 0x15;
constexpr std::uint8_t CAN = 0x18;

constexpr std::uint8_t kAccepted = 0;
constexpr std::uint8_t kNotImplemented = 1;
constexpr std::size_t kSignatureSize = 41;  // the end record closes the stream
constexpr std::size_t kChunk = 64;          // bytes sent per ACK of the host
constexpr std::size_t kImageSize = 16384;
constexpr auto kByteWait = 2s;  // the host's frames and uploads come at once
constexpr auto kSolicitWait = 5s;

long baudOfIndex(std::uint8_t index) {
    switch (index) {
        case 2:
            return 19200;
        case 3:
            return 38400;
        case 4:
            return 57600;
        case 5:
            return 115200;
        default:
            return 9600;
    }
}

Bytes frame(ByteSpan payload, bool corruptCrc) {
    const std::uint16_t crc = crc16(payload) ^ (corruptCrc ? 0x0001 : 0);
    Bytes body(payload.begin(), payload.end());
    body.push_back(static_cast<std::uint8_t>(crc >> 8));
    body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    Bytes framed = {DLE, STX};
    for (const std::uint8_t byte : body) {
        if (byte == DLE) framed.push_back(DLE);
        framed.push_back(byte);
    }
    framed.push_back(DLE);
    framed.push_back(ETX);
    return framed;
}

// The image with the first letter of the declaration's pilot changed.
Bytes withAlteredPilot(ByteSpan image) {
    vl::VolksloggerDatabase database;
    database.readImage(image);
    database.declaration.pilot[0] = static_cast<char>(database.declaration.pilot[0] ^ 0x01);
    return database.buildImage();
}

}  // namespace

VolksloggerEmulator::VolksloggerEmulator(PseudoTerminal& terminal, VolksloggerMemory memory)
    : m_terminal(terminal), m_memory(std::move(memory)) {
    for (VolksloggerFlight& flight : m_memory.flights) {
        flight.serialNumber = m_memory.serialNumber;
        m_flights.push_back(encodeFlight(flight));
    }
    m_directory = encodeDirectory(m_memory.flights);
    m_image = m_memory.database.buildImage();
    m_thread = std::thread([this] { run(); });
}

VolksloggerEmulator::~VolksloggerEmulator() {
    m_stop = true;
    m_thread.join();
}

void VolksloggerEmulator::setFault(Fault fault) {
    m_fault = fault;
    const std::lock_guard lock(m_mutex);
    m_dead = false;
}

std::vector<std::uint8_t> VolksloggerEmulator::commands() const {
    const std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<std::string> VolksloggerEmulator::violations() const {
    const std::lock_guard lock(m_mutex);
    return m_violations;
}

Bytes VolksloggerEmulator::lastFlightSent() const {
    const std::lock_guard lock(m_mutex);
    return m_lastFlight;
}

Bytes VolksloggerEmulator::databaseImage() const {
    const std::lock_guard lock(m_mutex);
    return m_image;
}

std::size_t VolksloggerEmulator::flightCount() const {
    const std::lock_guard lock(m_mutex);
    return m_flights.size();
}

void VolksloggerEmulator::violation(const std::string& text) {
    const std::lock_guard lock(m_mutex);
    m_violations.push_back(text);
}

void VolksloggerEmulator::writeByte(std::uint8_t byte) {
    m_terminal.write(ByteSpan(&byte, 1));
}

std::optional<std::uint8_t> VolksloggerEmulator::next(std::chrono::milliseconds timeout) {
    if (m_input.empty()) {
        const Bytes bytes = m_terminal.readSome(4096, timeout);
        m_input.insert(m_input.end(), bytes.begin(), bytes.end());
    }
    if (m_input.empty()) return std::nullopt;
    const std::uint8_t byte = m_input.front();
    m_input.pop_front();
    return byte;
}

void VolksloggerEmulator::run() {
    int cancels = 0;
    while (!m_stop) {
        const auto byte = next(20ms);
        if (!byte) continue;
        bool dead = false;
        {
            const std::lock_guard lock(m_mutex);
            dead = m_dead;
        }
        if (dead || m_fault == Fault::Silent) continue;
        if (*byte == CAN) {
            ++cancels;
            continue;
        }
        if (*byte == 'R') {
            writeByte('L');
        } else if (*byte == ENQ) {
            handleFrame(cancels);
        }
        cancels = 0;
    }
}

void VolksloggerEmulator::handleFrame(int cancelsBefore) {
    Bytes frameBytes;
    while (frameBytes.size() < 10) {
        const auto byte = next(kByteWait);
        if (!byte) {
            violation("command frame cut short");
            return;
        }
        frameBytes.push_back(*byte);
    }
    if (crc16(frameBytes) != 0) {
        violation("command frame with a wrong CRC");
        return;
    }
    if (cancelsBefore < 6) violation("command frame without its six CAN");
    if (m_terminal.lineSpeed() != 9600) violation("command frame not at 9600 baud");
    {
        const std::lock_guard lock(m_mutex);
        m_commands.push_back(frameBytes[0]);
    }
    if (m_fault == Fault::RefuseCommands) {
        writeByte(kNotImplemented);
        return;
    }
    answer(frameBytes[0], frameBytes[1], frameBytes[2]);
}

void VolksloggerEmulator::answer(std::uint8_t command, std::uint8_t param1, std::uint8_t param2) {
    const bool known =
        command <= 4 || command == 6 || command == 7 || command == 8 || command == 12;
    writeByte(known ? kAccepted : kNotImplemented);
    if (!known || m_fault == Fault::SilentAfterReply) return;
    switch (command) {
        case 0: {
            const Bytes info = {static_cast<std::uint8_t>(m_memory.sessionId >> 8),
                                static_cast<std::uint8_t>(m_memory.sessionId & 0xFF),
                                static_cast<std::uint8_t>(m_memory.serialNumber >> 8),
                                static_cast<std::uint8_t>(m_memory.serialNumber & 0xFF),
                                m_memory.firmwareVersion,
                                m_memory.hardwareVersion,
                                0,
                                m_memory.firmwareBuild};
            sendBlock(info);
            break;
        }
        case 1:
            sendBlock(m_directory);
            break;
        case 2:
        case 3: {
            Bytes flight;
            {
                const std::lock_guard lock(m_mutex);
                if (param1 < m_flights.size()) flight = m_flights[param1];
                m_lastFlight = flight;
            }
            if (!awaitDataSpeed(param2)) return;
            const std::size_t dataSize =
                flight.size() >= kSignatureSize ? flight.size() - kSignatureSize : 0;
            sendBlock(ByteSpan(flight).first(dataSize));
            break;
        }
        case 4:
            if (awaitDataSpeed(param2)) sendBlock(databaseImage());
            break;
        case 6: {
            {
                const std::lock_guard lock(m_mutex);
                m_flights.clear();
                m_memory.flights.clear();
                m_directory = encodeDirectory({});
            }
            std::this_thread::sleep_for(scaledTimeout(10s));  // busy erasing
            m_input.clear();
            m_terminal.drainInput();
            break;
        }
        case 7:
            receiveUpload();
            break;
        case 8: {
            const Bytes flight = lastFlightSent();
            const std::size_t start =
                flight.size() >= kSignatureSize ? flight.size() - kSignatureSize : 0;
            sendBlock(ByteSpan(flight).subspan(start));
            break;
        }
        default:
            break;
    }
}

bool VolksloggerEmulator::awaitDataSpeed(std::uint8_t baudIndex) {
    const long wanted = baudOfIndex(baudIndex);
    const auto end = std::chrono::steady_clock::now() + kSolicitWait;
    while (m_terminal.lineSpeed() != wanted) {
        if (std::chrono::steady_clock::now() > end) {
            violation("host did not switch to " + std::to_string(wanted) + " baud");
            return false;
        }
        // A host that gave up wakes the recorder again with CAN.
        if (next(1ms) == CAN) return false;
    }
    return true;
}

void VolksloggerEmulator::sendBlock(ByteSpan payload) {
    const Bytes framed = frame(payload, m_fault == Fault::WrongCrc);
    const std::size_t end = m_fault == Fault::DropMidBlock ? framed.size() / 2 : framed.size();
    for (std::size_t sent = 0; sent < end;) {
        // Wait for the host's solicitation, then send the next chunk. A CAN from a host that
        // gave up (the first byte of its next wake-up) ends the block.
        std::optional<std::uint8_t> byte;
        while ((byte = next(kSolicitWait)) && *byte != ACK && *byte != CAN) {
        }
        if (!byte) {
            violation("block not solicited by ACK");
            return;
        }
        if (*byte == CAN) return;
        m_input.clear();
        const std::size_t count = std::min(kChunk, end - sent);
        m_terminal.write(ByteSpan(framed).subspan(sent, count));
        sent += count;
    }
    if (end < framed.size()) {
        const std::lock_guard lock(m_mutex);
        m_dead = true;
    }
}

void VolksloggerEmulator::receiveUpload() {
    writeByte(ACK);
    Bytes upload;
    while (upload.size() < kImageSize + 2) {
        const auto byte = next(kByteWait);
        if (!byte) {
            violation("database upload cut short");
            return;
        }
        upload.push_back(*byte);
    }
    if (crc16(upload) != 0 || m_fault == Fault::WrongCrc) {
        writeByte(NAK);
        return;
    }
    upload.resize(kImageSize);
    if (m_alterPilot) upload = withAlteredPilot(upload);
    const std::lock_guard lock(m_mutex);
    m_image = upload;
    if (m_fault == Fault::DropMidBlock) {
        m_dead = true;  // the line went dead before the acknowledgement
        return;
    }
    writeByte(ACK);
}

}  // namespace kelvo::sim
