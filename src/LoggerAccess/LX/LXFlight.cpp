#include "LoggerAccess/LX/LXFlight.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Windows1252.h"

namespace kelvo {
namespace {

// Class code of the recorder by class index of the declaration; index 0, 1, 9 and any
// other have code 7 (named in the separate class block).
constexpr int kRazredOfClass[] = {7, 7, 0, 1, 3, 5, 2, 4, 6, 7};
// Class index by class code 0..6.
constexpr int kClassOfRazred[] = {2, 3, 6, 4, 7, 5, 8};

}  // namespace

LXFlight::LXFlight(ByteSpan data, std::size_t offset) {
    if (offset < data.size()) setData(data.subspan(offset));
}

void LXFlight::setData(ByteSpan data) {
    m_flight.fill(0);
    std::copy_n(data.begin(), std::min(data.size(), kSize), m_flight.begin());
}

std::string LXFlight::text(Field field) const {
    return windows1252ToUtf8(getText(m_flight, field.offset, field.size));
}

void LXFlight::setText(Field field, std::string_view value) {
    putText(m_flight, field.offset, field.size - 1, utf8ToWindows1252(value), ' ');
    m_flight[field.offset + field.size - 1] = 0;
}

std::string LXFlight::GPS() const {
    return text(kGps);
}

void LXFlight::setGPS(std::string_view value) {
    putText(m_flight, kGps.offset, kGps.size, utf8ToWindows1252(value), 0);
}

int LXFlight::competitionClass() const {
    const std::uint8_t code = razred();
    return code < std::size(kClassOfRazred) ? kClassOfRazred[code] : 0;
}

void LXFlight::setCompetitionClass(int classIndex) {
    const bool known = classIndex >= 0 && classIndex < static_cast<int>(std::size(kRazredOfClass));
    m_flight[45] = static_cast<std::uint8_t>(known ? kRazredOfClass[classIndex] : kOtherClass);
}

std::string LXFlight::toString() const {
    return stringf(
        "ID: %d\npilot: %s\nglider: %s\nregistration: %s\ncompetition id: %s\nclass: %d (%s)\n"
        "observer: %s\nGPS datum: %d\nfix accuracy: %d\nGPS: %s",
        ID(), pilot().c_str(), glider().c_str(), registration().c_str(),
        competitionRegistration().c_str(), razred(), m_classDescription.c_str(), observer().c_str(),
        GPSDatum(), fixAccuracy(), GPS().c_str());
}

}  // namespace kelvo
