#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "LoggerAccess/Outcome.h"
#include "base/FilePlacement.h"

namespace kelvo {

class Logger;
struct FlightEntry;

// Downloads of a recorder's flights into files, and of the flights that the flights folder
// does not hold yet. A recorder's flight is in the folder when a file of the name the
// recorder gives it (with the IGC extension, in any letter case, in any subfolder) is.
//
// A download never replaces a file silently (placeWrittenFile): a file of the same content
// stays as it is, and one of other content is replaced, kept beside the new file or kept
// instead of it, as the caller's question answers.
class LogbookDownload {
  public:
    using ExistingFile = kelvo::ExistingFile;
    // Without a question the file is kept (Skip).
    using ExistingFileQuestion = kelvo::ExistingFileQuestion;
    using Placement = kelvo::Placement;

    struct Download {
        Outcome outcome;
        Placement placement = Placement::Written;
        std::filesystem::path file;  // the file that holds the flight; empty when skipped

        static Download failed(Outcome outcome) { return {std::move(outcome), {}, {}}; }
    };

    struct Failure {
        std::string file;
        std::string reason;
    };
    // File names by what became of them, in directory order.
    struct Summary {
        std::vector<std::string> downloaded;  // written under their own name
        std::vector<std::string> alreadyPresent;
        std::vector<std::string> identical;  // the target held the same flight
        std::vector<std::string> keptBoth;   // written beside the file of other content
        std::vector<std::string> skipped;    // the file of other content was kept instead
        std::vector<Failure> failed;
        // The recorder went away during the batch: the last failure is the flight it cut,
        // and these were never tried.
        bool recorderGone = false;
        std::vector<std::string> notAttempted;

        void add(const std::string& name, const Download& download);
    };
    // Before each download: (flights done, flights to download).
    using FlightStarted = std::function<void(std::size_t, std::size_t)>;
    // Whether the recorder is still there (its port still exists); asked after a flight
    // failed, as a recorder that went away fails every read with a reason of the line.
    using RecorderPresent = std::function<bool()>;

    // The recorder's name of the flight as one path component, with the extension of the
    // format; "flight-N" when the recorder names none.
    static std::string fileNameOf(const FlightEntry& entry, const std::string& extension = "IGC");

    // Downloads the flight (IGC with the security record when asked and supported, or the
    // recorder's own format) under a temporary name beside the target, which takes the
    // file only when the whole flight came: a failed download never leaves a file, nor
    // touches an earlier one. A failure carries the recorder's reason, or names the target's
    // folder when no file can be written there.
    static Download downloadFlight(Logger& logger, const FlightEntry& entry,
                                   const std::filesystem::path& target, bool secure, bool native,
                                   const ExistingFileQuestion& existing = {});

    // Downloads, as IGC, every flight of the recorder's directory (read already) that the
    // folder does not hold, into the folder. A recorder that went away ends the batch.
    static Summary downloadNewFlights(Logger& logger, const std::filesystem::path& folder,
                                      bool secure, const FlightStarted& started = {},
                                      const ExistingFileQuestion& existing = {},
                                      const RecorderPresent& recorderPresent = {});
};

}  // namespace kelvo
