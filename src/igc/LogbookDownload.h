#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "LoggerAccess/Outcome.h"

namespace kelvo {

class Logger;
struct FlightEntry;

// Downloads of a recorder's flights into files, and of the flights that the flights folder
// does not hold yet. A recorder's flight is in the folder when a file of the name the
// recorder gives it (with the IGC extension, in any letter case, in any subfolder) is.
class LogbookDownload {
  public:
    struct Failure {
        std::string file;
        std::string reason;
    };
    struct Summary {
        std::vector<std::string> downloaded;  // file names, in directory order
        std::vector<std::string> alreadyPresent;
        std::vector<Failure> failed;
    };
    // Before each download: (flights done, flights to download).
    using FlightStarted = std::function<void(std::size_t, std::size_t)>;

    // The recorder's name of the flight as one path component, with the extension of the
    // format; "flight-N" when the recorder names none.
    static std::string fileNameOf(const FlightEntry& entry, const std::string& extension = "IGC");

    // Downloads the flight (IGC with the security record when asked and supported, or the
    // recorder's own format) under a temporary name beside the target, which takes the
    // file only when the whole flight came: a failed download never leaves a file, nor
    // touches an earlier one. A failure carries the recorder's reason.
    static Outcome downloadFlight(Logger& logger, const FlightEntry& entry,
                                  const std::filesystem::path& target, bool secure, bool native);

    // Downloads, as IGC, every flight of the recorder's directory (read already) that the
    // folder does not hold, into the folder.
    static Summary downloadNewFlights(Logger& logger, const std::filesystem::path& folder,
                                      bool secure, const FlightStarted& started = {});
};

}  // namespace kelvo
