#include "base/Bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kelvo {
namespace {

bool fits(std::size_t size, std::size_t offset, std::size_t width) {
    return offset <= size && width <= size - offset;
}

std::uint32_t readBE(ByteSpan record, std::size_t offset, std::size_t width) {
    if (!fits(record.size(), offset, width)) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | record[offset + i];
    return value;
}

std::uint32_t readLE(ByteSpan record, std::size_t offset, std::size_t width) {
    if (!fits(record.size(), offset, width)) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | record[offset + i];
    return value;
}

void writeBE(MutableByteSpan record, std::size_t offset, std::size_t width, std::uint32_t value) {
    if (!fits(record.size(), offset, width)) return;
    for (std::size_t i = width; i-- > 0;) {
        record[offset + i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

void writeLE(MutableByteSpan record, std::size_t offset, std::size_t width, std::uint32_t value) {
    if (!fits(record.size(), offset, width)) return;
    for (std::size_t i = 0; i < width; ++i) {
        record[offset + i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

std::string textUpToNul(ByteSpan field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

}  // namespace

std::uint8_t getU8(ByteSpan record, std::size_t offset) {
    return static_cast<std::uint8_t>(readBE(record, offset, 1));
}
std::uint16_t getU16BE(ByteSpan record, std::size_t offset) {
    return static_cast<std::uint16_t>(readBE(record, offset, 2));
}
std::uint16_t getU16LE(ByteSpan record, std::size_t offset) {
    return static_cast<std::uint16_t>(readLE(record, offset, 2));
}
std::uint32_t getU24BE(ByteSpan record, std::size_t offset) { return readBE(record, offset, 3); }
std::uint32_t getU32BE(ByteSpan record, std::size_t offset) { return readBE(record, offset, 4); }
std::uint32_t getU32LE(ByteSpan record, std::size_t offset) { return readLE(record, offset, 4); }
float getF32LE(ByteSpan record, std::size_t offset) {
    return std::bit_cast<float>(readLE(record, offset, 4));
}

std::string getText(ByteSpan record, std::size_t offset, std::size_t width) {
    if (offset >= record.size()) return {};
    return textUpToNul(record.subspan(offset, std::min(width, record.size() - offset)));
}

void putU8(MutableByteSpan record, std::size_t offset, std::uint8_t value) {
    writeBE(record, offset, 1, value);
}
void putU16BE(MutableByteSpan record, std::size_t offset, std::uint16_t value) {
    writeBE(record, offset, 2, value);
}
void putU16LE(MutableByteSpan record, std::size_t offset, std::uint16_t value) {
    writeLE(record, offset, 2, value);
}
void putU24BE(MutableByteSpan record, std::size_t offset, std::uint32_t value) {
    writeBE(record, offset, 3, value);
}
void putU32BE(MutableByteSpan record, std::size_t offset, std::uint32_t value) {
    writeBE(record, offset, 4, value);
}
void putU32LE(MutableByteSpan record, std::size_t offset, std::uint32_t value) {
    writeLE(record, offset, 4, value);
}
void putF32LE(MutableByteSpan record, std::size_t offset, float value) {
    writeLE(record, offset, 4, std::bit_cast<std::uint32_t>(value));
}

void putText(MutableByteSpan record, std::size_t offset, std::size_t width, std::string_view text,
             std::uint8_t pad) {
    if (!fits(record.size(), offset, width)) return;
    for (std::size_t i = 0; i < width; ++i) {
        record[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : pad;
    }
}

bool ByteReader::seek(std::size_t position) {
    if (position > m_data.size()) {
        m_ok = false;
        return false;
    }
    m_position = position;
    return true;
}

bool ByteReader::skip(std::size_t count) {
    if (!canRead(count)) {
        m_ok = false;
        return false;
    }
    m_position += count;
    return true;
}

ByteSpan ByteReader::take(std::size_t count) {
    if (!canRead(count)) {
        m_ok = false;
        return {};
    }
    const ByteSpan field = m_data.subspan(m_position, count);
    m_position += count;
    return field;
}

std::uint8_t ByteReader::u8() { return getU8(take(1), 0); }
std::uint16_t ByteReader::u16BE() { return getU16BE(take(2), 0); }
std::uint16_t ByteReader::u16LE() { return getU16LE(take(2), 0); }
std::uint32_t ByteReader::u24BE() { return getU24BE(take(3), 0); }
std::uint32_t ByteReader::u32BE() { return getU32BE(take(4), 0); }
std::uint32_t ByteReader::u32LE() { return getU32LE(take(4), 0); }
float ByteReader::f32LE() { return getF32LE(take(4), 0); }
ByteSpan ByteReader::bytes(std::size_t count) { return take(count); }
std::string ByteReader::text(std::size_t width) { return textUpToNul(take(width)); }

void ByteWriter::u16BE(std::uint16_t value) {
    u8(static_cast<std::uint8_t>(value >> 8));
    u8(static_cast<std::uint8_t>(value));
}
void ByteWriter::u16LE(std::uint16_t value) {
    u8(static_cast<std::uint8_t>(value));
    u8(static_cast<std::uint8_t>(value >> 8));
}
void ByteWriter::u24BE(std::uint32_t value) {
    u8(static_cast<std::uint8_t>(value >> 16));
    u16BE(static_cast<std::uint16_t>(value));
}
void ByteWriter::u32BE(std::uint32_t value) {
    u16BE(static_cast<std::uint16_t>(value >> 16));
    u16BE(static_cast<std::uint16_t>(value));
}
void ByteWriter::u32LE(std::uint32_t value) {
    u16LE(static_cast<std::uint16_t>(value));
    u16LE(static_cast<std::uint16_t>(value >> 16));
}
void ByteWriter::f32LE(float value) { u32LE(std::bit_cast<std::uint32_t>(value)); }

void ByteWriter::text(std::string_view text, std::size_t width, std::uint8_t pad) {
    for (std::size_t i = 0; i < width; ++i) {
        u8(i < text.size() ? static_cast<std::uint8_t>(text[i]) : pad);
    }
}

void ByteWriter::text(std::string_view text) {
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
}

}  // namespace kelvo
