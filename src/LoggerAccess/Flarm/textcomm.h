#pragma once

#include <string>
#include <string_view>

namespace kelvo::flarm {

class serial;

// Reads configuration values with "$PFLAC,R,<key>" queries in the device's text mode and
// switches it to binary mode. An unanswered query gives an empty value and false.
class textcomm {
  public:
    explicit textcomm(serial& port) : m_port(port) {}

    bool getGliderRegistration(std::string& text);
    bool getCompetitionID(std::string& text);
    bool getCompetitionClass(std::string& text);
    bool getGliderType(std::string& text);
    bool getPilotName(std::string& text);
    bool getAircraftType(std::string& text);
    bool getSerialnumber(std::string& text);
    bool getObstacleDatabase(std::string& text);
    bool getSoftwareVersion(std::string& text);
    bool getHardwareVersion(std::string& text);
    bool switchToBinary();

    // Sends the query; out is the first answer line holding the tag, from the tag on.
    bool getValueForTag(std::string_view query, std::string_view tag, std::string& out);

    // The value in an answer that starts at its tag: the text after the given number of
    // commas up to the "*" of the checksum (the whole answer when there is no "*"); empty
    // when the answer has fewer commas.
    static std::string extractValue(const std::string& answer, int commas);

  private:
    bool valueFor(std::string& text, std::string_view query, std::string_view tag,
                  int commas = 1);

    serial& m_port;
};

}  // namespace kelvo::flarm
