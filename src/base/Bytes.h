#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

using ByteSpan = std::span<const std::uint8_t>;
using MutableByteSpan = std::span<std::uint8_t>;
using Bytes = std::vector<std::uint8_t>;

// Field access on fixed records. Every getter answers 0 (or the empty text) when the field
// does not lie wholly inside the record; every setter leaves the record unchanged then.
std::uint8_t getU8(ByteSpan record, std::size_t offset);
std::uint16_t getU16BE(ByteSpan record, std::size_t offset);
std::uint16_t getU16LE(ByteSpan record, std::size_t offset);
std::uint32_t getU24BE(ByteSpan record, std::size_t offset);
std::uint32_t getU32BE(ByteSpan record, std::size_t offset);
std::uint32_t getU32LE(ByteSpan record, std::size_t offset);
float getF32LE(ByteSpan record, std::size_t offset);
// A fixed-width text field: the bytes up to the first NUL or the field's end.
std::string getText(ByteSpan record, std::size_t offset, std::size_t width);

void putU8(MutableByteSpan record, std::size_t offset, std::uint8_t value);
void putU16BE(MutableByteSpan record, std::size_t offset, std::uint16_t value);
void putU16LE(MutableByteSpan record, std::size_t offset, std::uint16_t value);
void putU24BE(MutableByteSpan record, std::size_t offset, std::uint32_t value);
void putU32BE(MutableByteSpan record, std::size_t offset, std::uint32_t value);
void putU32LE(MutableByteSpan record, std::size_t offset, std::uint32_t value);
void putF32LE(MutableByteSpan record, std::size_t offset, float value);
// Writes the text cut to width and padded with the pad byte.
void putText(MutableByteSpan record, std::size_t offset, std::size_t width,
             std::string_view text, std::uint8_t pad = 0);

// Sequential bounds-checked reading of a byte stream. A read that would run past the end
// answers 0 (or nothing), consumes nothing and clears ok(), which stays cleared.
class ByteReader {
public:
    explicit ByteReader(ByteSpan data) : m_data(data) {}

    std::size_t size() const { return m_data.size(); }
    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_data.size() - m_position; }
    bool atEnd() const { return m_position >= m_data.size(); }
    bool canRead(std::size_t count) const { return count <= remaining(); }
    bool ok() const { return m_ok; }

    // Moves to an absolute position; past the end it fails and stays put.
    bool seek(std::size_t position);
    bool skip(std::size_t count);

    std::uint8_t peekU8() const { return atEnd() ? 0 : m_data[m_position]; }
    std::uint8_t u8();
    std::int8_t i8() { return static_cast<std::int8_t>(u8()); }
    std::uint16_t u16BE();
    std::uint16_t u16LE();
    std::int16_t i16BE() { return static_cast<std::int16_t>(u16BE()); }
    std::int16_t i16LE() { return static_cast<std::int16_t>(u16LE()); }
    std::uint32_t u24BE();
    std::uint32_t u32BE();
    std::uint32_t u32LE();
    std::int32_t i32BE() { return static_cast<std::int32_t>(u32BE()); }
    std::int32_t i32LE() { return static_cast<std::int32_t>(u32LE()); }
    float f32LE();
    // The next count bytes, or an empty span when fewer remain.
    ByteSpan bytes(std::size_t count);
    // A fixed-width text field (see getText).
    std::string text(std::size_t width);

private:
    ByteSpan take(std::size_t count);

    ByteSpan m_data;
    std::size_t m_position = 0;
    bool m_ok = true;
};

// Sequential writing of a byte stream that grows as needed.
class ByteWriter {
public:
    void u8(std::uint8_t value) { m_bytes.push_back(value); }
    void u16BE(std::uint16_t value);
    void u16LE(std::uint16_t value);
    void u24BE(std::uint32_t value);
    void u32BE(std::uint32_t value);
    void u32LE(std::uint32_t value);
    void f32LE(float value);
    void bytes(ByteSpan data) { m_bytes.insert(m_bytes.end(), data.begin(), data.end()); }
    // The text cut to width and padded with the pad byte.
    void text(std::string_view text, std::size_t width, std::uint8_t pad = 0);
    // The text as it stands, without terminator.
    void text(std::string_view text);

    const Bytes& data() const { return m_bytes; }
    Bytes take() { return std::move(m_bytes); }
    std::size_t size() const { return m_bytes.size(); }

private:
    Bytes m_bytes;
};

}  // namespace kelvo
