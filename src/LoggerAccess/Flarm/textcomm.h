#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LoggerAccess/Nmea/NmeaLink.h"

namespace kelvo::flarm {

class serial;

// The device's text mode: reads and writes configuration items with "$PFLAC" sentences,
// restarts the device and switches it to binary mode. Every sentence goes out checksummed,
// and only intact answers count.
class textcomm {
  public:
    // What the device answered to a read or a write of an item.
    struct Reply {
        enum class Status { Answered, Refused, Silent };
        Status status = Status::Silent;
        // The item's value (Answered), or the refusing sentence (Refused).
        std::string text;

        bool answered() const { return status == Status::Answered; }
    };

    explicit textcomm(serial& port);

    bool getGliderRegistration(std::string& text);
    bool getCompetitionID(std::string& text);
    bool getCompetitionClass(std::string& text);
    bool getGliderType(std::string& text);
    bool getPilotName(std::string& text);
    bool getAircraftType(std::string& text);
    bool getSerialnumber(std::string& text);
    // The database's name: the value after its two version fields.
    bool getObstacleDatabase(std::string& text);
    bool getSoftwareVersion(std::string& text);
    bool getHardwareVersion(std::string& text);
    bool switchToBinary();

    // "$PFLAC,R,<item>" -> "$PFLAC,A,<item>[,<value>]"; the value may hold commas.
    Reply read(std::string_view item);
    // "$PFLAC,S,<item>,<value>" -> the echo "$PFLAC,A,<item>,<value as kept>". A missing echo
    // is asked again, twice.
    Reply write(std::string_view item, std::string_view value);
    // The task as the device reports it, one IGC C line each (header, take-off, points,
    // landing); nothing when it cannot report its task.
    std::optional<std::vector<std::string>> readTask();
    // "$PFLAR,0": the device restarts, and is silent until it is back. False when it did not
    // answer again within the restart's time.
    bool restart();
    // True when the device answers in text mode at the current speed.
    bool answersText();

  private:
    bool value(std::string& text, std::string_view item, std::size_t skippedFields = 0);
    Reply ask(std::string_view question, std::string_view item, std::chrono::milliseconds within);

    NmeaLink m_link;
};

}  // namespace kelvo::flarm
