#include "sim/Volkslogger/VolksloggerStreamWriter.h"

#include <cstdlib>

namespace kelvo::sim {
namespace {

std::uint8_t bcd(int value) {
    return static_cast<std::uint8_t>((value / 10 % 10) << 4 | value % 10);
}

std::uint8_t sign(long value) {
    return value < 0 ? 0x80 : 0x00;
}

}  // namespace

void VolksloggerStreamWriter::start(int formatVersion) {
    m_formatVersion = formatVersion;
    m_writer.u8(static_cast<std::uint8_t>(0x40 | (formatVersion & 0x1F)));
}

void VolksloggerStreamWriter::date(int delta, long timeOfDay, int year, int month, int day) {
    m_writer.u8(0xA0);
    m_writer.u8(static_cast<std::uint8_t>(delta));
    m_writer.u24BE(static_cast<std::uint32_t>(timeOfDay));
    m_writer.u8(bcd(year % 100));
    m_writer.u8(bcd(month));
    m_writer.u8(bcd(day));
}

void VolksloggerStreamWriter::fixHead(std::uint8_t recordClass, int delta,
                                      const VolksloggerFix& fix) {
    m_writer.u8(static_cast<std::uint8_t>(recordClass | (fix.valid ? 0x10 : 0) |
                                          (fix.pressure >> 8 & 0x0F)));
    m_writer.u8(static_cast<std::uint8_t>(fix.pressure & 0xFF));
    m_writer.u8(static_cast<std::uint8_t>(delta & 0x7F));
}

void VolksloggerStreamWriter::fullFix(int delta, const VolksloggerFix& fix) {
    fixHead(0x80, delta, fix);
    m_writer.u24BE(static_cast<std::uint32_t>(std::labs(fix.latitude) & 0x7FFFFF) |
                   (fix.latitude < 0 ? 0x800000u : 0u));
    m_writer.u24BE(static_cast<std::uint32_t>(std::labs(fix.longitude) & 0xFFFFFF));
    m_writer.u8(static_cast<std::uint8_t>(sign(fix.longitude) | (fix.altitude >> 4 & 0x70) |
                                          (fix.accuracy & 0x0F)));
    m_writer.u8(static_cast<std::uint8_t>(fix.altitude & 0xFF));
    if (m_formatVersion != 0) m_writer.u8(fix.engineNoise);
}

void VolksloggerStreamWriter::differentialFix(int delta, const VolksloggerFix& fix,
                                              long latitudeChange, long longitudeChange) {
    fixHead(0xE0, delta, fix);
    const long dLat = std::labs(latitudeChange);
    const long dLon = std::labs(longitudeChange);
    m_writer.u8(
        static_cast<std::uint8_t>(sign(latitudeChange) | (dLon >> 5 & 0x78) | (dLat >> 8 & 0x07)));
    m_writer.u8(static_cast<std::uint8_t>(dLat & 0xFF));
    m_writer.u8(static_cast<std::uint8_t>(dLon & 0xFF));
    m_writer.u8(static_cast<std::uint8_t>(sign(longitudeChange) | (fix.altitude >> 4 & 0x70) |
                                          (fix.accuracy & 0x0F)));
    m_writer.u8(static_cast<std::uint8_t>(fix.altitude & 0xFF));
    m_writer.u8(fix.engineNoise);
}

void VolksloggerStreamWriter::data(std::uint8_t id, ByteSpan payload) {
    m_writer.u8(0x20);
    m_writer.u8(static_cast<std::uint8_t>(payload.size() + 3));
    m_writer.u8(id);
    m_writer.bytes(payload);
}

void VolksloggerStreamWriter::data(std::uint8_t id, std::string_view text) {
    data(id, ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void VolksloggerStreamWriter::timedData(int delta, std::uint8_t id, ByteSpan payload) {
    m_writer.u8(0x00);
    m_writer.u8(static_cast<std::uint8_t>(payload.size() + 4));
    m_writer.u8(static_cast<std::uint8_t>(delta));
    m_writer.u8(id);
    m_writer.bytes(payload);
}

void VolksloggerStreamWriter::endMark() {
    m_writer.u8(0xE0);
    m_writer.u8(0x00);
    m_writer.u8(0x80);
}

void VolksloggerStreamWriter::end(long recordingTime, long offset, std::size_t size) {
    m_writer.u8(0x60);
    m_writer.u24BE(static_cast<std::uint32_t>(recordingTime));
    m_writer.u24BE(static_cast<std::uint32_t>(offset));
    for (std::size_t i = 7; i < size; ++i) m_writer.u8(static_cast<std::uint8_t>(i));
}

void VolksloggerStreamWriter::filler() {
    m_writer.u8(0xC0);
}

void VolksloggerStreamWriter::raw(ByteSpan bytes) {
    m_writer.bytes(bytes);
}

}  // namespace kelvo::sim
