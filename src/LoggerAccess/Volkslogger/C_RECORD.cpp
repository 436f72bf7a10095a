#include "LoggerAccess/Volkslogger/C_RECORD.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "LoggerAccess/Volkslogger/VolksloggerText.h"
#include "base/Format.h"
#include "base/UtcDate.h"

namespace kelvo::vl {
namespace {

constexpr long kUnitsPerDegree = 60000;

struct Angle {
    unsigned degrees;
    unsigned long thousandthMinutes;
};

Angle split(long value, unsigned limitDegrees) {
    const unsigned long magnitude = static_cast<unsigned long>(std::labs(value));
    if (magnitude >= limitDegrees * static_cast<unsigned long>(kUnitsPerDegree)) {
        return Angle{limitDegrees, 0};
    }
    return Angle{static_cast<unsigned>(magnitude / kUnitsPerDegree), magnitude % kUnitsPerDegree};
}

}  // namespace

void KOORD::print(std::ostream& out) const {
    const Angle latitude = split(lat, 90);
    const Angle longitude = split(lon, 180);
    out << stringf("%02u%05lu%c%03u%05lu%c", latitude.degrees, latitude.thousandthMinutes,
                   lat < 0 ? 'S' : 'N', longitude.degrees, longitude.thousandthMinutes,
                   lon < 0 ? 'W' : 'E');
}

void C2::packed2unpacked(ByteSpan record) {
    for (int i = 0; i < 6; ++i) name[i] = static_cast<char>(getU8(record, i));
    name[6] = '\0';
    strupr(name);
    const std::uint8_t flags = getU8(record, 6);
    typ = flags & 0x7F;
    const std::uint32_t latitude = getU24BE(record, 7);
    position.lat = static_cast<long>(latitude & 0x7FFFFF);
    if (latitude & 0x800000) position.lat = -position.lat;
    position.lon = static_cast<long>(getU24BE(record, 10));
    if (flags & 0x80) position.lon = -position.lon;
}

void C2::print(int igcVersion, std::ostream& out, const char* label) const {
    out << 'C';
    position.print(out);
    std::string text(name);
    igc_filter(text);
    if (igcVersion < 413) {
        out << label << ':' << text;
    } else {
        out << text;
    }
    out << "\r\n";
}

void C_RECORD::print(int igcVersion, std::ostream& out) {
    if (!printFlag) return;
    taskid = std::min<std::uint16_t>(taskid, 9999);
    nturnpoints = std::min<std::uint16_t>(nturnpoints, kTurnpoints);
    const UtcFields declared = utcFields(declarationTime);
    const std::string dateTime =
        stringf("%02d%02d%02d%02d%02d%02d", declared.day, declared.month, declared.year % 100,
                declared.hour, declared.minute, declared.second);
    if (igcVersion > 421) {
        flightDay = flightMonth = flightYear = 0;
    } else if (flightDay == 0 && flightMonth == 0 && flightYear == 0) {
        const UtcFields local = utcFields(declarationTime + std::chrono::minutes(timeZoneOffset));
        flightDay = static_cast<std::uint8_t>(local.day);
        flightMonth = static_cast<std::uint8_t>(local.month);
        flightYear = static_cast<std::uint8_t>(local.year % 100);
    }
    flightDay = std::min<std::uint8_t>(flightDay, 31);
    flightMonth = std::min<std::uint8_t>(flightMonth, 12);
    flightYear = std::min<std::uint8_t>(flightYear, 99);
    out << stringf("C%s%02u%02u%02u%04u%02u", dateTime.c_str(), unsigned{flightDay},
                   unsigned{flightMonth}, unsigned{flightYear}, unsigned{taskid},
                   unsigned{nturnpoints})
        << "\r\n";
    takeoff.print(igcVersion, out, "Takeoff");
    start.print(igcVersion, out, "Start  ");
    for (unsigned i = 0; i < nturnpoints; ++i) {
        turnpoints[i].print(igcVersion, out, stringf("TP%02u   ", i + 1).c_str());
    }
    finish.print(igcVersion, out, "Finish ");
    landing.print(igcVersion, out, "Landing");
}

}  // namespace kelvo::vl
