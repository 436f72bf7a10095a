#include "LoggerAccess/LX/LXFaiData.h"

#include <algorithm>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/Logger.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "base/Windows1252.h"

namespace kelvo {
namespace {

constexpr char kBase36[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// One base-36 digit of a month or day; values beyond Z show as '0' rather than reading past
// the alphabet.
char base36Digit(int value) {
    return value >= 0 && value < 36 ? kBase36[value] : '0';
}

constexpr std::size_t kDate = 9;
constexpr std::size_t kStart = 18;
constexpr std::size_t kStop = 27;
constexpr std::size_t kPilot = 40;
constexpr std::size_t kManufacturer = 59;

}  // namespace

void LXFaiData::setFaiData(ByteSpan data) {
    m_faiData.fill(0);
    std::copy_n(data.begin(), std::min(data.size(), kSize), m_faiData.begin());
}

int LXFaiData::twoDigits(std::size_t offset) const {
    const int tens = m_faiData[offset] == ' ' ? 0 : m_faiData[offset] - '0';
    return tens * 10 + (m_faiData[offset + 1] - '0');
}

std::optional<std::chrono::sys_seconds> LXFaiData::dateWithTimeAt(std::size_t time) const {
    return utcTime(2000 + twoDigits(kDate + 6), twoDigits(kDate + 3), twoDigits(kDate),
                   twoDigits(time), twoDigits(time + 3), twoDigits(time + 6));
}

std::optional<std::chrono::sys_seconds> LXFaiData::startDate() const {
    return dateWithTimeAt(kStart);
}

std::optional<std::chrono::sys_seconds> LXFaiData::stopDate() const {
    return dateWithTimeAt(kStop);
}

long LXFaiData::duration() const {
    const auto start = startDate();
    const auto stop = stopDate();
    if (!start || !stop) return 0;
    return static_cast<long>((*stop - *start).count());
}

std::string LXFaiData::durationDescription() const {
    const long seconds = duration();
    const long hours = seconds / 3600;
    const long minutes = (seconds - hours * 3600) / 60;
    return stringf("%02ld:%02ld:%02ld", hours, minutes, seconds - hours * 3600 - minutes * 60);
}

std::string LXFaiData::pilotName() const {
    return windows1252ToUtf8(getText(m_faiData, kPilot, 19));
}

std::optional<std::string> LXFaiData::manufacturer() const {
    if (m_faiData[kManufacturer] == 0) return std::nullopt;
    return windows1252ToUtf8(getText(m_faiData, kManufacturer, 32));
}

char LXFaiData::loggerChar() const {
    const std::string maker = manufacturer().value_or("");
    if (maker.starts_with("LXNAV")) return 'L';
    if (maker.starts_with("SDI")) return 'S';
    return 'F';
}

std::string LXFaiData::serialNumberDescription() const {
    return Logger::generateSerialNumberFrom(serialNumber());
}

std::string LXFaiData::fileNameWithExtension() const {
    const char character = loggerChar();
    const char* extension = character == 'L' ? "LXN" : character == 'S' ? "SDI" : "FIL";
    return stringf("%c%c%c%c%s%d.%s", static_cast<char>(m_faiData[kDate + 7]),
                   base36Digit(twoDigits(kDate + 3)), base36Digit(twoDigits(kDate)), character,
                   serialNumberDescription().c_str(), flightNumber(), extension);
}

bool LXFaiData::crcOK() const {
    if (CRC8::calc_crc(ByteSpan(m_faiData).first(kSize - 1), 0xFF) == m_faiData[kSize - 1]) {
        return true;
    }
    logLine("CRC calculation failed on LX FAI Data.");
    return false;
}

LXMemory LXFaiData::memory() const {
    LXMemory range;
    range.setStartPos(startTape());
    range.setStartPage(static_cast<std::uint8_t>(startPage()));
    range.setEndPos(stopTape());
    range.setEndPage(static_cast<std::uint8_t>(stopPage()));
    return range;
}

void LXFaiData::logMemoryInfo() const {
    memory().log();
}

}  // namespace kelvo
