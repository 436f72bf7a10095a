#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// One NMEA sentence: "$" body "*" two uppercase hex digits of the XOR of the body's bytes,
// CR LF. Recorders ignore a sentence whose checksum is wrong, and a reader takes none.
class NmeaSentence {
  public:
    explicit NmeaSentence(std::string body) : m_body(std::move(body)) {}

    // The text between "$" and "*".
    const std::string& body() const { return m_body; }
    // The body split at its commas; an empty field (a trailing comma too) is an empty text.
    std::vector<std::string> fields() const;
    // The body from the field after the first `count` ones on, commas and all; empty when it
    // has no more fields.
    std::string fieldsFrom(std::size_t count) const;
    // The body is prefix or starts with prefix and a comma: whole fields, so "PFLAC,A,SER"
    // is not answered by "PFLAC,A,SERIAL".
    bool hasPrefix(std::string_view prefix) const;

    // "\n$<body>*hh\r\n": the line feed first, because some pass-through devices forward a
    // sentence only when its "$" starts a line.
    std::string wire() const;

    static std::uint8_t checksum(std::string_view body);
    // The sentence in one received line, or nothing when the line holds none with a correct
    // checksum. Line ends, a line feed before the "$" and anything before the last "$" (a
    // doubled "$$", the rest of a broken line) are passed over.
    static std::optional<NmeaSentence> parse(std::string_view line);

    bool operator==(const NmeaSentence&) const = default;

  private:
    std::string m_body;
};

}  // namespace kelvo
