#include "igc/LogbookDownload.h"

#include <unistd.h>

#include "LoggerAccess/Logger.h"
#include "base/Format.h"
#include "base/Text.h"
#include "igc/Logbook.h"

namespace kelvo {

namespace fs = std::filesystem;

std::string LogbookDownload::fileNameOf(const FlightEntry& entry, const std::string& extension) {
    fs::path name = fs::path(entry.filename.value_or("")).filename();
    if (name.empty() || name == "." || name == "..") {
        name = "flight-" + entry.number.value_or(std::to_string(entry.key().value_or(0)));
    }
    return name.replace_extension(extension).string();
}

Outcome LogbookDownload::downloadFlight(Logger& logger, const FlightEntry& entry,
                                        const fs::path& target, bool secure, bool native) {
    if (!entry.key()) return Outcome::failure("the recorder gives this flight no number");
    fs::path written = target.parent_path() / stringf(".%s.%d.part", target.filename().c_str(),
                                                      static_cast<int>(getpid()));
    // A driver with a native format writes its IGC file under the extension IGC.
    if (!native && logger.hasNativeFile()) written.replace_extension("IGC");
    const Outcome outcome =
        logger.readFile(written, *entry.key(), secure && logger.supportsSecure(), !native, &entry);
    std::error_code error;
    if (outcome && fs::exists(written)) fs::rename(written, target, error);
    if (outcome && fs::exists(target) && !error) return outcome;
    fs::remove(written, error);
    return outcome ? Outcome::failure("could not write " + target.string()) : outcome;
}

LogbookDownload::Summary LogbookDownload::downloadNewFlights(Logger& logger, const fs::path& folder,
                                                             bool secure,
                                                             const FlightStarted& started) {
    Summary summary;
    const auto present = Logbook::flightFileNames(folder);
    std::vector<const FlightEntry*> missing;
    for (const FlightEntry& entry : logger.flightDirectory()) {
        const std::string name = fileNameOf(entry);
        if (present.contains(toUpperAscii(name))) {
            summary.alreadyPresent.push_back(name);
        } else {
            missing.push_back(&entry);
        }
    }
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (started) started(i, missing.size());
        const std::string name = fileNameOf(*missing[i]);
        const Outcome download = downloadFlight(logger, *missing[i], folder / name, secure, false);
        if (download) {
            summary.downloaded.push_back(name);
        } else {
            summary.failed.push_back({name, download.reason()});
        }
        if (download.kind() == Outcome::Kind::Cancelled) break;
    }
    return summary;
}

}  // namespace kelvo
