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

std::string textcomm::valueFor(std::string_view query, std::string_view tag, int commas) {
    std::string answer;
    if (!getValueForTag(query, tag, answer)) return {};
    return extractValue(answer, commas);
}

void textcomm::getGliderRegistration(std::string& text) {
    text = valueFor("$PFLAC,R,GLIDERID\r\n", "GLIDERID");
}

void textcomm::getCompetitionID(std::string& text) {
    text = valueFor("$PFLAC,R,COMPID\r\n", "COMPID");
}

void textcomm::getCompetitionClass(std::string& text) {
    text = valueFor("$PFLAC,R,COMPCLASS\r\n", "COMPCLASS");
}

void textcomm::getGliderType(std::string& text) {
    text = valueFor("$PFLAC,R,GLIDERTYPE\r\n", "GLIDERTYPE");
}

void textcomm::getPilotName(std::string& text) {
    text = valueFor("$PFLAC,R,PILOT\r\n", "PILOT");
}

void textcomm::getAircraftType(std::string& text) {
    text = valueFor("$PFLAC,R,ACFT\r\n", "ACFT");
}

void textcomm::getSerialnumber(std::string& text) {
    text = valueFor("$PFLAC,R,SER\r\n", "SER");
}

void textcomm::getObstacleDatabase(std::string& text) {
    text = valueFor("$PFLAC,R,OBSTDB\r\n", "OBST", 3);
}

void textcomm::getSoftwareVersion(std::string& text) {
    text = valueFor("$PFLAC,R,SWVER\r\n", "SWVER");
}

void textcomm::getHardwareVersion(std::string& text) {
    text = valueFor("$PFLAC,R,HWVER\r\n", "HWVER");
}

bool textcomm::switchToBinary() {
    return m_port.writeStr("$PFLAX") && m_port.writeStr("\r\n");
}

}  // namespace kelvo::flarm
