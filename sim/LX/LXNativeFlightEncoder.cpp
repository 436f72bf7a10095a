#include "sim/LX/LXNativeFlightEncoder.h"

#include <algorithm>

namespace kelvo::sim {

LXNativeFlightEncoder::LXNativeFlightEncoder() {
    // Lengths a recorder announces for its own records (text tags carry their length).
    const std::pair<std::uint8_t, std::uint8_t> known[] = {
        {0x7F, 2},   {0x80, 9}, {0xA0, 12},  {0xBF, 10}, {0xC3, 10},
        {0xF0, 66},  {0xF1, 9}, {0xF4, 9},   {0xF5, 22}, {0xF6, 9},
        {0xF7, 229}, {0xFB, 4}, {0xFD, 120}, {0xFE, 4},  {0xFF, 4},
    };
    for (const auto& [tag, length] : known) m_lengthTable[tag] = length;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::record(std::uint8_t tag) {
    m_writer.u8(tag);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::text(std::string_view line) {
    const std::size_t length = std::clamp<std::size_t>(line.size(), 1, 0x3F);
    record(static_cast<std::uint8_t>(length));
    m_writer.text(line, length);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::versions(std::uint8_t hardwareTimesTen,
                                                       std::uint8_t firmwareTimesTen) {
    record(0x7F);
    m_writer.u8(hardwareTimesTen);
    m_writer.u8(firmwareTimesTen);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::flightNumber(std::uint8_t number) {
    record(0x80);
    m_writer.text("", 8);
    m_writer.u8(number);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::origin(std::uint32_t time, std::int32_t latitude,
                                                     std::int32_t longitude) {
    m_originTime = time;
    m_originLatitude = latitude;
    m_originLongitude = longitude;
    record(0xA0);
    m_writer.u32BE(time);
    m_writer.u32BE(static_cast<std::uint32_t>(latitude));
    m_writer.u32BE(static_cast<std::uint32_t>(longitude));
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::fix(std::uint32_t time, std::int32_t latitude,
                                                  std::int32_t longitude,
                                                  std::int16_t pressureAltitude,
                                                  std::int16_t gpsAltitude, bool valid) {
    record(valid ? 0xBF : 0xC3);
    m_writer.u16BE(static_cast<std::uint16_t>(time - m_originTime));
    m_writer.u16BE(static_cast<std::uint16_t>(latitude - m_originLatitude));
    m_writer.u16BE(static_cast<std::uint16_t>(longitude - m_originLongitude));
    m_writer.u16BE(static_cast<std::uint16_t>(pressureAltitude));
    m_writer.u16BE(static_cast<std::uint16_t>(gpsAltitude));
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::bExtensionMask(std::uint16_t mask) {
    record(0xFF);
    m_writer.u16BE(0);
    m_writer.u16BE(mask);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::kExtensionMask(std::uint16_t mask) {
    record(0xFE);
    m_writer.u16BE(0);
    m_writer.u16BE(mask);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::bExtensionValues(
    const std::vector<std::uint16_t>& values) {
    record(0xF9);
    for (const auto value : values) m_writer.u16BE(value);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::kExtensionValues(
    std::uint8_t secondsAfterFix, const std::vector<std::uint16_t>& values) {
    record(0xFA);
    m_writer.u8(secondsAfterFix);
    for (const auto value : values) m_writer.u16BE(value);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::event(std::string_view text) {
    record(0xF4);
    m_writer.text(text, 9);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::date(std::uint8_t day, std::uint8_t month,
                                                   std::uint16_t year) {
    record(0xFB);
    m_writer.u8(day);
    m_writer.u8(month);
    m_writer.u16BE(year);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::flightInformation(
    const LXFlightInformation& information) {
    record(0xFD);
    m_writer.u16BE(0);
    m_writer.u16BE(0);  // identifier
    m_writer.text(information.pilot, 19);
    m_writer.text(information.gliderType, 12);
    m_writer.text(information.gliderId, 8);
    m_writer.text(information.competitionId, 4);
    m_writer.u8(information.classCode);
    m_writer.text("", 10);  // observer
    m_writer.u8(information.gpsDatum);
    m_writer.u8(information.fixAccuracy);
    m_writer.text(information.gps, 60);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::className(std::string_view name) {
    record(0xF1);
    m_writer.text(name, 9);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::recorderIdentification(std::string_view text) {
    record(0xF6);
    m_writer.text(text, 9);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::task(const LXNativeTask& task) {
    record(0xF7);
    m_writer.u32BE(task.inputTime);
    for (const auto byte : {task.inputDay, task.inputMonth, task.inputYear, task.flightDay,
                            task.flightMonth, task.flightYear}) {
        m_writer.u8(byte);
    }
    m_writer.u16BE(task.taskId);
    m_writer.u8(static_cast<std::uint8_t>(task.turnpointCount));
    std::array<LXTaskSlot, 12> slots{};
    for (std::size_t i = 0; i < slots.size(); ++i) {
        slots[i] = i < task.slots.size() ? task.slots[i] : LXTaskSlot{0, "", 0, 0};
    }
    for (const auto& slot : slots) m_writer.u8(slot.marker);
    for (const auto& slot : slots) m_writer.u32BE(static_cast<std::uint32_t>(slot.longitude));
    for (const auto& slot : slots) m_writer.u32BE(static_cast<std::uint32_t>(slot.latitude));
    for (const auto& slot : slots) m_writer.text(slot.name.substr(0, 8), 9);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::security(std::uint8_t type, ByteSpan data) {
    const std::size_t count = std::min<std::size_t>(data.size(), 64);
    record(0xF0);
    m_writer.u8(static_cast<std::uint8_t>(count));
    m_writer.u8(type);
    m_writer.bytes(data.first(count));
    m_writer.text("", 64 - count);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::securityText(std::string_view text) {
    record(0xF5);
    m_writer.text(text, 22);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::filler(std::size_t zeroCount) {
    m_writer.text("", zeroCount + 1);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::unknown(std::uint8_t tag, ByteSpan data) {
    m_lengthTable[tag] = static_cast<std::uint8_t>(std::min<std::size_t>(data.size(), 255));
    record(tag);
    m_writer.bytes(data.first(m_lengthTable[tag]));
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::raw(ByteSpan bytes) {
    m_writer.bytes(bytes);
    return *this;
}

LXNativeFlightEncoder& LXNativeFlightEncoder::end() {
    return record(0x40);
}

Bytes LXNativeFlightEncoder::secureBytes() const {
    Bytes flight = bytes();
    flight.insert(flight.end(), m_lengthTable.begin(), m_lengthTable.end());
    return flight;
}

}  // namespace kelvo::sim
