#include "sim/LXNAV/LXNAVEmulator.h"

#include <algorithm>

#include "LoggerAccess/LXNAV/LXNAVBlockCrc.h"
#include "LoggerAccess/Nmea/NmeaSentence.h"
#include "base/Delay.h"
#include "base/Format.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::sim {
namespace {

constexpr std::size_t kMaxLine = 512;
// What the recorder streams between its answers: its position and its vario values.
const char* const kOrdinary[] = {
    "GPRMC,101530,A,4806.450,N,00845.798,E,042.1,084.4,070726,,,A",
    "LXWP0,Y,119.4,1717.6,0.02,0.02,0.02,0.02,0.02,0.02,,000,107.2",
};
constexpr std::size_t kRowsBetweenOrdinary = 10;

std::size_t numberOf(const std::vector<std::string>& fields, std::size_t index) {
    if (index >= fields.size()) return 0;
    std::size_t number = 0;
    for (const char c : fields[index]) {
        if (c < '0' || c > '9' || number > 100'000'000) return 0;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    return number;
}

}  // namespace

LXNAVEmulator::LXNAVEmulator(PseudoTerminal& terminal, LXNAVEmulatorConfig config)
    : m_terminal(terminal),
      m_config(std::move(config)),
      m_declaration(m_config.declaration),
      m_thread([this] { run(); }) {}

LXNAVEmulator::~LXNAVEmulator() {
    m_stop = true;
    m_thread.join();
}

void LXNAVEmulator::setLineRate(bool paced) {
    m_terminal.setPaced(paced);
}

std::vector<std::string> LXNAVEmulator::declaration() const {
    const std::lock_guard lock(m_mutex);
    return m_declaration;
}

bool LXNAVEmulator::askedAt(int speed) const {
    const std::lock_guard lock(m_mutex);
    return std::find(m_speedsAsked.begin(), m_speedsAsked.end(), speed) != m_speedsAsked.end();
}

std::vector<std::string> LXNAVEmulator::rowsOf(const std::string& igc) {
    std::vector<std::string> rows;
    std::size_t start = 0;
    while (start < igc.size()) {
        const std::size_t end = std::min(igc.find("\r\n", start), igc.size());
        rows.push_back(igc.substr(start, end - start));
        start = end + 2;
    }
    return rows;
}

std::string LXNAVEmulator::base64(std::string_view bytes) {
    static const char* const kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t quad = 0;
        for (std::size_t k = 0; k < n; ++k)
            quad |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + k]))
                    << (16 - 8 * k);
        for (std::size_t k = 0; k < 4; ++k)
            text.push_back(k <= n ? kDigits[(quad >> (18 - 6 * k)) & 63] : '=');
    }
    return text;
}

void LXNAVEmulator::run() {
    std::string line;
    while (!m_stop) {
        const auto byte = m_terminal.readByte(std::chrono::milliseconds(20));
        if (!byte) continue;
        if (*byte != '\n' && line.size() < kMaxLine) {
            line.push_back(static_cast<char>(*byte));
            continue;
        }
        const auto sentence = NmeaSentence::parse(line);
        line.clear();
        if (!sentence || !sentence->hasPrefix("PLXVC")) continue;
        const int speed = m_terminal.lineSpeed();
        {
            const std::lock_guard lock(m_mutex);
            if (std::find(m_speedsAsked.begin(), m_speedsAsked.end(), speed) == m_speedsAsked.end())
                m_speedsAsked.push_back(speed);
        }
        if (m_silent || speed != m_config.speed) continue;
        handle(sentence->fields(), sentence->body());
    }
}

void LXNAVEmulator::handle(const std::vector<std::string>& fields, const std::string& body) {
    if (fields.size() < 3) return;
    const std::string& command = fields[1];
    const std::string& kind = fields[2];
    const bool transfer = command == "LOGBOOK" || command == "FLIGHT" || command == "FILE_INFO";
    if (transfer && kind == "R" && m_dropInTransfer >= 0) {
        m_sendBudget = m_dropInTransfer.exchange(-1);
    }
    if (command == "INFO" && kind == "R") {
        sendOrdinary();
        send(stringf("PLXVC,INFO,A,%s,%s,Mar 10 2025,%s,4.05,0.00,512,0,%d",
                     m_config.product.c_str(), m_config.software.c_str(), m_config.serial.c_str(),
                     m_config.loggerStatus));
    } else if (command == "LOGBOOKSIZE" && kind == "R") {
        sendOrdinary();
        send(stringf(m_config.oldFirmware ? "PLXVC,LOGBOOK,A,%zu" : "PLXVC,LOGBOOKSIZE,A,%zu",
                     m_config.flights.size()));
    } else if (command == "LOGBOOK" && kind == "R") {
        answerLogbook(numberOf(fields, 3), numberOf(fields, 4));
    } else if (command == "FLIGHT" && kind == "R" && fields.size() >= 6) {
        answerRows(fields[3], numberOf(fields, 4), numberOf(fields, 5));
    } else if (command == "FILE_INFO" && kind == "R" && fields.size() >= 6 &&
               m_config.blockTransfer && !m_config.oldFirmware) {
        startBlocks(fields[3].starts_with('/') ? fields[3].substr(1) : fields[3],
                    numberOf(fields, 4), numberOf(fields, 5));
    } else if (command == "FILE_OK" && kind == "R" && m_blocks) {
        sendBlocks(numberOf(fields, 3));
    } else if (command == "FILE_DATA_LOST" && kind == "R" && m_blocks) {
        sendBlock(numberOf(fields, 3), true);
    } else if ((command == "FILE_CRC_OK" || command == "FILE_CANCEL") && kind == "R") {
        m_blocks.reset();
    } else if (command == "DECL" && kind == "W" && fields.size() >= 6) {
        writeDeclarationRow(numberOf(fields, 3), numberOf(fields, 4),
                            NmeaSentence(body).fieldsFrom(5));
    } else if (command == "DECL" && kind == "R") {
        answerDeclaration(numberOf(fields, 3), numberOf(fields, 4));
    }
}

void LXNAVEmulator::answerLogbook(std::size_t first, std::size_t end) {
    const std::size_t count = m_config.flights.size();
    sendOrdinary();
    for (std::size_t index = std::max<std::size_t>(first, 1); index < std::min(end, count + 1);
         ++index) {
        const LXNAVLoggedFlight& flight = m_config.flights[index - 1];
        std::string entry =
            stringf("PLXVC,LOGBOOK,A,%zu,%zu,%s,%s,%s,%s", index, count, flight.file.c_str(),
                    flight.date.c_str(), flight.takeoff.c_str(), flight.landing.c_str());
        if (!m_config.oldFirmware) entry += stringf(",%zu", flight.igc.size());
        send(entry);
    }
}

const LXNAVLoggedFlight* LXNAVEmulator::flightNamed(const std::string& file) const {
    const auto found = std::find_if(m_config.flights.begin(), m_config.flights.end(),
                                    [&file](const LXNAVLoggedFlight& f) { return f.file == file; });
    return found == m_config.flights.end() ? nullptr : &*found;
}

void LXNAVEmulator::answerRows(const std::string& file, std::size_t first, std::size_t end) {
    ++m_rowRequests;
    const LXNAVLoggedFlight* flight = flightNamed(file);
    if (!flight || first < 1) return;
    if (file != m_openFile) {
        delayMilliseconds(m_config.fileOpenTime.count());
        m_openFile = file;
        m_openRows = rowsOf(flight->igc);
    }
    const std::vector<std::string>& rows = m_openRows;
    const std::size_t count = rows.size();
    const std::string named = m_config.product.starts_with("NANO") ? "" : file;
    auto sendRow = [&](std::size_t row, const std::string& text) {
        send(stringf("PLXVC,FLIGHT,A,%s,%zu,%zu,", named.c_str(), row, count) + text);
    };
    sendOrdinary();
    if (m_droppedRow == first) {
        for (std::size_t row = first > 3 ? first - 3 : 1; row < first; ++row)
            sendRow(row, rows[row - 1]);
        m_droppedRow.reset();
    }
    for (std::size_t row = first; row < std::min(end, count + 1); ++row) {
        if ((row - first + 1) % kRowsBetweenOrdinary == 0) sendOrdinary();
        if (first > 1 && row == first + 3 && m_staleRows.exchange(false)) {
            m_droppedRow = row;
            continue;
        }
        std::string text = rows[row - 1];
        if (first > 1 && row < count && text.starts_with('B') && rows[row].starts_with('B') &&
            m_splicedRow.exchange(false)) {
            text += rows[row];
        }
        sendRow(row, text);
    }
}

void LXNAVEmulator::startBlocks(const std::string& file, std::size_t window, std::size_t payload) {
    const LXNAVLoggedFlight* flight = flightNamed(file);
    if (!flight || window < 1 || window > 64 || payload < 1 || payload > 1000) return;
    ++m_blockTransfers;
    BlockSession session{flight->igc, window, payload, (flight->igc.size() + payload - 1) / payload,
                         {},          {}};
    LXNAVBlockCrc running;
    for (std::size_t number = 0; number < session.count; ++number) {
        session.texts.push_back(
            base64(std::string_view(session.bytes).substr(number * payload, payload)));
        running.add(session.texts.back());
        session.crcs.push_back(running.value());
    }
    m_blocks = std::move(session);
    sendBlocks(0);
}

void LXNAVEmulator::sendBlocks(std::size_t first) {
    sendOrdinary();
    if (first >= m_blocks->count) {
        send(stringf("PLXVC,FILE_CRC32,A,%d", LXNAVBlockCrc::of(m_blocks->bytes)));
        return;
    }
    for (std::size_t number = first; number < std::min(first + m_blocks->window, m_blocks->count);
         ++number) {
        if (number == first + 1 && m_lostBlock.exchange(false)) continue;
        sendBlock(number, false);
    }
}

void LXNAVEmulator::sendBlock(std::size_t number, bool resent) {
    if (number >= m_blocks->count) return;
    // Firmware 3.02 prints the check value of a resent block unsigned.
    const std::int32_t crc = m_blocks->crcs[number];
    const std::string printed =
        resent ? std::to_string(static_cast<std::uint32_t>(crc)) : std::to_string(crc);
    send(stringf("PLXVC,FILE_DATA,A,%d,%zu,%s,%s", resent ? 1 : 0, number, printed.c_str(),
                 m_blocks->texts[number].c_str()));
}

void LXNAVEmulator::writeDeclarationRow(std::size_t row, std::size_t count,
                                        const std::string& content) {
    const std::size_t unconfirmed = m_unconfirmedFrom;
    if (row < 1 || row > count || (unconfirmed != 0 && row >= unconfirmed)) return;
    if (row == 1) m_pendingDeclaration.clear();
    if (row == m_pendingDeclaration.size()) m_pendingDeclaration.pop_back();  // sent again
    if (row != m_pendingDeclaration.size() + 1) return;
    m_pendingDeclaration.push_back(content);
    // The last row is confirmed once the declaration is held: what confirms it is there.
    if (row == count) keepDeclaration();
    send(stringf("PLXVC,DECL,C,%zu", row));
}

void LXNAVEmulator::keepDeclaration() {
    if (m_alteredDeclaration) {
        for (std::string& kept : m_pendingDeclaration) {
            const std::string pilot = "HFPLTPILOT:";
            if (kept.starts_with(pilot) && kept.size() > pilot.size()) {
                char& letter = kept[pilot.size()];
                letter = letter == 'Z' ? 'A' : static_cast<char>(letter + 1);
            }
        }
    }
    const std::lock_guard lock(m_mutex);
    m_declaration = m_pendingDeclaration;
}

void LXNAVEmulator::answerDeclaration(std::size_t first, std::size_t end) {
    const std::vector<std::string> rows = declaration();
    if (rows.empty()) return;
    sendOrdinary();
    for (std::size_t row = std::max<std::size_t>(first, 1); row < std::min(end, rows.size() + 1);
         ++row)
        send(stringf("PLXVC,DECL,A,%zu,%zu,", row, rows.size()) + rows[row - 1]);
}

void LXNAVEmulator::sendOrdinary() {
    send(kOrdinary[m_ordinaryCount++ % std::size(kOrdinary)]);
}

void LXNAVEmulator::send(const std::string& body) {
    std::uint8_t checksum = NmeaSentence::checksum(body);
    if (m_wrongChecksum) checksum ^= 0x21;
    std::string wire = "$" + body + stringf("*%02X\r\n", checksum);
    if (m_sendBudget >= 0) {
        const auto allowed = static_cast<std::size_t>(m_sendBudget.load());
        if (wire.size() > allowed) wire.resize(allowed);
        m_sendBudget -= static_cast<long long>(wire.size());
    }
    if (!wire.empty()) m_terminal.write(wire);
}

}  // namespace kelvo::sim
