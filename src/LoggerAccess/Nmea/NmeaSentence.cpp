#include "LoggerAccess/Nmea/NmeaSentence.h"

#include "base/Format.h"

namespace kelvo {
namespace {

std::optional<std::uint8_t> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

}  // namespace

std::vector<std::string> NmeaSentence::fields() const {
    std::vector<std::string> fields{std::string()};
    for (const char c : m_body) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

std::string NmeaSentence::fieldsFrom(std::size_t count) const {
    std::size_t position = 0;
    for (std::size_t comma = 0; comma < count; ++comma) {
        position = m_body.find(',', position);
        if (position == std::string::npos) return {};
        ++position;
    }
    return m_body.substr(position);
}

bool NmeaSentence::hasPrefix(std::string_view prefix) const {
    return m_body.starts_with(prefix) &&
           (m_body.size() == prefix.size() || m_body[prefix.size()] == ',');
}

std::string NmeaSentence::wire() const {
    return "\n$" + m_body + stringf("*%02X\r\n", checksum(m_body));
}

std::uint8_t NmeaSentence::checksum(std::string_view body) {
    std::uint8_t sum = 0;
    for (const char c : body) sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

std::optional<NmeaSentence> NmeaSentence::parse(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
        line.remove_suffix(1);
    }
    const std::size_t star = line.rfind('*');
    if (star == std::string_view::npos || line.size() != star + 3) return std::nullopt;
    const std::size_t dollar = line.rfind('$', star);
    if (dollar == std::string_view::npos) return std::nullopt;
    const auto high = hexDigit(line[star + 1]);
    const auto low = hexDigit(line[star + 2]);
    const std::string_view body = line.substr(dollar + 1, star - dollar - 1);
    if (!high || !low || checksum(body) != (*high << 4 | *low)) return std::nullopt;
    return NmeaSentence(std::string(body));
}

}  // namespace kelvo
