#include "LoggerAccess/Flarm/textcomm.h"

#include "LoggerAccess/Flarm/serial.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo::flarm {
namespace {

constexpr std::size_t kMaxLineLength = 256;
constexpr int kExaminedLines = 10;
// How long a line read waits for the next byte of the answer.
constexpr int kReadTimeoutMilliseconds = 100;

}  // namespace

bool textcomm::getValueForTag(std::string_view query, std::string_view tag, std::string& out) {
    out.clear();
    m_port.flush();
    if (!m_port.writeStr(query)) return false;
    delayMicroseconds(100);
    m_port.setRcvTimeout(kReadTimeoutMilliseconds);
    std::string line;
    for (int examined = 0; examined < kExaminedLines; ++examined) {
        if (m_port.readLn(line, kMaxLineLength)) {
            const std::size_t at = line.find(tag);
            if (at != std::string::npos) {
                out = line.substr(at);
                return true;
            }
        }
        delayMilliseconds(100);
    }
    // One more line is taken off the line without being looked at.
    m_port.readLn(line, kMaxLineLength);
    logf("The device did not answer the %.*s query.", static_cast<int>(tag.size()), tag.data());
    return false;
}

std::string textcomm::extractValue(const std::string& answer, int commas) {
    std::size_t position = 0;
    for (int comma = 0; comma < commas; ++comma) {
        position = answer.find(',', position);
        if (position == std::string::npos) return {};
        ++position;
    }
    const std::size_t star = answer.find('*', position);
    if (star == std::string::npos) return answer;
    return answer.substr(position, star - position);
}

bool textcomm::valueFor(std::string& text, std::string_view query, std::string_view tag,
                        int commas) {
    std::string answer;
    const bool answered = getValueForTag(query, tag, answer);
    text = answered ? extractValue(answer, commas) : std::string();
    return answered;
}

bool textcomm::getGliderRegistration(std::string& text) {
    return valueFor(text, "$PFLAC,R,GLIDERID\r\n", "GLIDERID");
}

bool textcomm::getCompetitionID(std::string& text) {
    return valueFor(text, "$PFLAC,R,COMPID\r\n", "COMPID");
}

bool textcomm::getCompetitionClass(std::string& text) {
    return valueFor(text, "$PFLAC,R,COMPCLASS\r\n", "COMPCLASS");
}

bool textcomm::getGliderType(std::string& text) {
    return valueFor(text, "$PFLAC,R,GLIDERTYPE\r\n", "GLIDERTYPE");
}

bool textcomm::getPilotName(std::string& text) {
    return valueFor(text, "$PFLAC,R,PILOT\r\n", "PILOT");
}

bool textcomm::getAircraftType(std::string& text) {
    return valueFor(text, "$PFLAC,R,ACFT\r\n", "ACFT");
}

bool textcomm::getSerialnumber(std::string& text) {
    return valueFor(text, "$PFLAC,R,SER\r\n", "SER");
}

bool textcomm::getObstacleDatabase(std::string& text) {
    return valueFor(text, "$PFLAC,R,OBSTDB\r\n", "OBST", 3);
}

bool textcomm::getSoftwareVersion(std::string& text) {
    return valueFor(text, "$PFLAC,R,SWVER\r\n", "SWVER");
}

bool textcomm::getHardwareVersion(std::string& text) {
    return valueFor(text, "$PFLAC,R,HWVER\r\n", "HWVER");
}

bool textcomm::switchToBinary() {
    return m_port.writeStr("$PFLAX") && m_port.writeStr("\r\n");
}

}  // namespace kelvo::flarm
