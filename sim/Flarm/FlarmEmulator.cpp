#include "sim/Flarm/FlarmEmulator.h"

#include <algorithm>
#include <utility>

#include "base/Crc16.h"
#include "base/Delay.h"
#include "base/Format.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::sim {
namespace {

constexpr std::uint8_t kStart = 0x73;
constexpr std::uint8_t kEscape = 0x78;
constexpr std::uint8_t kAck = 0xA0;
constexpr std::uint8_t kNack = 0xB7;
constexpr std::uint8_t kEndOfFlight = 0x1A;
constexpr std::size_t kMaxFrame = 550;
constexpr std::size_t kMaxLine = 512;
// Unrelated traffic a real device sends between the answers.
const std::string kTrafficSentence = "PFLAU,0,0,0,1,0,,0,,";
// How long the device is silent after "$PFLAR,0".
constexpr std::chrono::milliseconds kRestartTime{3000};
// A task keeps at most ten points besides take-off and landing, and 192 bytes: 7 and its
// name, 9 and the name for each point.
constexpr std::size_t kMaxTaskPoints = 10;
constexpr std::size_t kTaskBytes = 192;
constexpr std::size_t kCoordinateBytes = 19;  // "DDMMmmmN,DDDMMmmmE,"
// Line noise without a start byte in it.
const std::string kNoise("NOISE\r\n\xff\x00\x01", 10);

void putEscaped(Bytes& out, std::uint8_t byte) {
    if (byte == kStart || byte == kEscape) {
        out.push_back(kEscape);
        out.push_back(byte == kStart ? 0x31 : 0x55);
    } else {
        out.push_back(byte);
    }
}

Bytes wire(std::uint8_t type, std::uint16_t seq, const Bytes& payload, bool wrongCrc) {
    const auto length = static_cast<std::uint16_t>(8 + payload.size());
    Bytes covered{
        static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>(length >> 8), 1,
        static_cast<std::uint8_t>(seq & 0xFF),    static_cast<std::uint8_t>(seq >> 8),    type};
    covered.insert(covered.end(), payload.begin(), payload.end());
    std::uint16_t checksum = crc16(covered);
    if (wrongCrc) checksum ^= 0x0101;
    Bytes unescaped(covered.begin(), covered.begin() + 6);
    unescaped.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    unescaped.push_back(static_cast<std::uint8_t>(checksum >> 8));
    unescaped.insert(unescaped.end(), payload.begin(), payload.end());
    Bytes out{kStart};
    for (const std::uint8_t byte : unescaped) putEscaped(out, byte);
    return out;
}

}  // namespace

FlarmEmulator::FlarmEmulator(PseudoTerminal& terminal, FlarmEmulatorConfig config)
    : m_terminal(terminal),
      m_config(std::move(config)),
      m_values(m_config.values),
      m_task(m_config.taskName.empty() ? std::nullopt : std::optional(m_config.task)),
      m_taskName(m_config.taskName),
      m_thread([this] { run(); }) {}

FlarmEmulator::~FlarmEmulator() {
    m_stop = true;
    m_thread.join();
}

Bytes FlarmEmulator::frame(std::uint8_t type, std::uint16_t seq, const Bytes& payload) {
    return wire(type, seq, payload, false);
}

std::string FlarmEmulator::sentence(const std::string& body) {
    std::uint8_t checksum = 0;
    for (const char c : body) checksum ^= static_cast<std::uint8_t>(c);
    return "$" + body + stringf("*%02X\r\n", checksum);
}

void FlarmEmulator::run() {
    std::string line;
    while (!m_stop) {
        if (m_binary) {
            if (const auto request = receiveFrame(); request && !m_silent) handleRequest(*request);
            continue;
        }
        const auto byte = nextByte();
        if (!byte) continue;
        if (*byte == '\n' || line.size() >= kMaxLine) {
            handleLine(line);
            line.clear();
        } else if (*byte != '\r') {
            line.push_back(static_cast<char>(*byte));
        }
    }
}

std::optional<std::uint8_t> FlarmEmulator::nextByte() {
    while (!m_stop) {
        if (const auto byte = m_terminal.readByte(std::chrono::milliseconds(20))) return byte;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> FlarmEmulator::nextUnescaped() {
    const auto byte = nextByte();
    if (!byte || *byte != kEscape) return byte;
    const auto escaped = nextByte();
    if (escaped == 0x31) return kStart;
    if (escaped == 0x55) return kEscape;
    return std::nullopt;
}

void FlarmEmulator::handleLine(const std::string& line) {
    // Leftovers of binary frames or a second "$" may precede a sentence on the same line.
    const std::size_t start = line.rfind("$PFL");
    if (start != std::string::npos && line.compare(start, 8, "$PFLAP,R") == 0) ++m_speedQueries;
    if (m_silent || start == std::string::npos ||
        m_terminal.lineSpeed() != static_cast<int>(m_config.speed) ||
        std::chrono::steady_clock::now() < m_restartedUntil) {
        return;
    }
    const std::size_t star = line.find('*', start);
    const std::string body = line.substr(start + 1, star == std::string::npos ? 0 : star - start - 1);
    if (star == std::string::npos || line.substr(star) != sentence(body).substr(body.size() + 1, 3)) {
        ++m_badSentences;
        transmit(sentence("ERROR,CKSUM"));
        return;
    }
    handleSentence(body);
}

void FlarmEmulator::handleSentence(const std::string& body) {
    const std::string traffic = sentence(kTrafficSentence);
    if (body == "PFLAP,R") {
        transmit(traffic + sentence("PFLAP,A"));
    } else if (body == "PFLAX" && !m_config.binaryDownload) {
        transmit(traffic + sentence("PFLAX,A,ERROR"));
    } else if (body == "PFLAX") {
        m_selected.reset();
        m_binary = true;
    } else if (body == "PFLAR,0") {
        transmit(sentence("PFLAR,A"));
        ++m_restarts;
        m_restartedUntil = std::chrono::steady_clock::now() + scaledTimeout(kRestartTime);
    } else if (body.starts_with("PFLAC,R,")) {
        readItem(body.substr(8));
    } else if (body.starts_with("PFLAC,S,")) {
        const std::size_t comma = body.find(',', 8);
        writeItem(body.substr(8, comma == std::string::npos ? std::string::npos : comma - 8),
                  comma == std::string::npos ? std::string() : body.substr(comma + 1));
    }
}

void FlarmEmulator::readItem(const std::string& key) {
    std::string answer = sentence(kTrafficSentence);
    const std::lock_guard lock(m_mutex);
    if (key == "TASK" && m_config.reportsTask) {
        if (m_task) {
            answer += sentence("PFLAC,A,TASK,C0701261200000000000000001" + m_taskName);
        }
        for (const std::string& point : m_task.value_or(std::vector<std::string>{})) {
            const std::size_t comma = point.find(',');
            answer += sentence("PFLAC,A,TASK,C" + point.substr(0, comma) +
                               point.substr(comma + 1).replace(9, 1, ""));
        }
        answer += sentence("PFLAC,A,TASK");
    } else if (const auto value = m_values.find(key); value != m_values.end() && key != "TASK") {
        // An empty value comes without its field, as some firmware sends it.
        answer += sentence("PFLAC,A," + key + (value->second.empty() ? "" : "," + value->second));
    } else {
        answer += sentence("PFLAC,A,ERROR");
    }
    transmit(answer);
}

void FlarmEmulator::writeItem(const std::string& key, const std::string& value) {
    const std::lock_guard lock(m_mutex);
    const auto kept = keep(key, value);
    transmit(sentence(kept ? "PFLAC,A," + key + "," + *kept : "PFLAC,A,ERROR"));
}

bool FlarmEmulator::takesDeclaration() const {
    const auto licence = m_values.find("LIC");
    const auto serial = m_values.find("IGCSER");
    return (licence == m_values.end() || licence->second.find("IGC:1") != std::string::npos) &&
           serial != m_values.end() && !serial->second.empty();
}

std::optional<std::string> FlarmEmulator::keep(const std::string& key, const std::string& value) {
    static const std::vector<std::string> kDeclarationItems{"PILOT",      "COPIL",  "GLIDERID",
                                                            "GLIDERTYPE", "COMPID", "COMPCLASS"};
    const bool declaration =
        std::find(kDeclarationItems.begin(), kDeclarationItems.end(), key) != kDeclarationItems.end();
    if ((declaration || key == "NEWTASK" || key == "ADDWP") && !takesDeclaration()) {
        return std::nullopt;
    }
    if (declaration) {
        std::string kept = value;
        if (key == "PILOT" && m_alterDeclaration && !kept.empty()) ++kept[0];
        m_values[key] = kept;
        return value;
    }
    if (key == "NEWTASK") {
        if (m_refuseNewTask) return std::nullopt;
        m_task = value.empty() ? std::nullopt : std::optional(std::vector<std::string>{});
        m_taskName = value;
        return value;
    }
    if (key == "ADDWP") {
        if (!m_task || m_task->size() >= kMaxTaskPoints + 2) return std::nullopt;
        std::size_t bytes = 7 + m_taskName.size();
        for (const std::string& point : *m_task) bytes += 9 + point.size() - kCoordinateBytes;
        const bool wellFormed = value.size() >= kCoordinateBytes && value[kCoordinateBytes - 1] == ',';
        if (!wellFormed || bytes + 9 + value.size() - kCoordinateBytes > kTaskBytes) {
            return std::nullopt;
        }
        m_task->push_back(value);
        return value;
    }
    const auto known = m_values.find(key);
    if (known == m_values.end()) return std::nullopt;
    known->second = value;
    return value;
}

std::string FlarmEmulator::value(const std::string& key) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_values.find(key);
    return found == m_values.end() ? std::string() : found->second;
}

std::vector<std::string> FlarmEmulator::taskPoints() const {
    const std::lock_guard lock(m_mutex);
    return m_task.value_or(std::vector<std::string>{});
}

std::optional<FlarmEmulator::Request> FlarmEmulator::receiveFrame() {
    std::optional<std::uint8_t> byte;
    do {
        byte = nextByte();
        if (!byte) return std::nullopt;
    } while (*byte != kStart);
    Bytes header;
    while (header.size() < 8) {
        const auto next = nextUnescaped();
        if (!next) return std::nullopt;
        header.push_back(*next);
    }
    const std::size_t length = getU16LE(header, 0);
    if (length < 8 || length > kMaxFrame) return std::nullopt;
    Request request{getU16LE(header, 3), header[5], {}};
    while (request.payload.size() < length - 8) {
        const auto next = nextUnescaped();
        if (!next) return std::nullopt;
        request.payload.push_back(*next);
    }
    Bytes covered(header.begin(), header.begin() + 6);
    covered.insert(covered.end(), request.payload.begin(), request.payload.end());
    if (crc16(covered) != getU16LE(header, 6)) return std::nullopt;
    return request;
}

void FlarmEmulator::handleRequest(const Request& request) {
    switch (request.type) {
        case 0x01:  // ping
        case 0x02:  // set baud rate: acknowledged, the line stays as it is
            answer(kAck, request);
            return;
        case 0x12:  // exit
            answer(kAck, request);
            m_binary = false;
            return;
        case 0x20: {  // select record
            const int record = request.payload.empty() ? -1 : request.payload[0];
            const bool known =
                record >= 0 && static_cast<std::size_t>(record) < m_config.flights.size();
            if (!known || record == m_refusedRecord) {
                answer(kNack, request);
                return;
            }
            m_selected = static_cast<std::size_t>(record);
            m_igcOffset = 0;
            answer(kAck, request);
            return;
        }
        case 0x21:  // record information
            if (!m_selected) break;
            answer(kAck, request,
                   Bytes(m_config.flights[*m_selected].record.begin(),
                         m_config.flights[*m_selected].record.end()));
            return;
        case 0x22: {  // next piece of the IGC file
            if (!m_selected) break;
            std::uint8_t progress = 0;
            Bytes piece = nextIgcPiece(progress);
            if (piece.empty()) break;
            piece.insert(piece.begin(), progress);
            answer(kAck, request, piece);
            return;
        }
        default:
            break;
    }
    answer(kNack, request);
}

// Every answer payload starts with the sequence number of the request it answers.
void FlarmEmulator::answer(std::uint8_t type, const Request& request, const Bytes& extra) {
    Bytes payload{static_cast<std::uint8_t>(request.seq & 0xFF),
                  static_cast<std::uint8_t>(request.seq >> 8)};
    payload.insert(payload.end(), extra.begin(), extra.end());
    Bytes out;
    if (m_noise) out.assign(kNoise.begin(), kNoise.end());
    const Bytes framed = wire(type, m_sequence++, payload, m_wrongCrc);
    out.insert(out.end(), framed.begin(), framed.end());
    transmit(out);
}

void FlarmEmulator::setLineRate(bool paced) {
    m_terminal.setPaced(paced);
}

void FlarmEmulator::transmit(ByteSpan bytes) {
    const long long budget = m_sendBudget;
    if (budget < 0) {
        m_terminal.write(bytes);
        return;
    }
    const auto count = std::min(bytes.size(), static_cast<std::size_t>(budget));
    m_terminal.write(bytes.first(count));
    m_sendBudget = budget - static_cast<long long>(count);
    if (m_sendBudget == 0) m_silent = true;
}

void FlarmEmulator::transmit(const std::string& text) {
    transmit(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// The IGC file followed by 0x1A, cut into pieces of the configured size; empty at the end.
Bytes FlarmEmulator::nextIgcPiece(std::uint8_t& progress) {
    std::string text = m_config.flights[*m_selected].igc;
    text.push_back(static_cast<char>(kEndOfFlight));
    if (m_igcOffset >= text.size()) return {};
    const std::size_t count = std::min(m_config.chunkSize, text.size() - m_igcOffset);
    Bytes piece(text.begin() + static_cast<std::ptrdiff_t>(m_igcOffset),
                text.begin() + static_cast<std::ptrdiff_t>(m_igcOffset + count));
    m_igcOffset += count;
    progress = static_cast<std::uint8_t>(m_igcOffset * 100 / text.size());
    return piece;
}

}  // namespace kelvo::sim
