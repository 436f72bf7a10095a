#include "igc/LogbookDownload.h"

#include "LoggerAccess/Logger.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/Text.h"
#include "igc/Logbook.h"

namespace kelvo {

namespace fs = std::filesystem;

void LogbookDownload::Summary::add(const std::string& name, const Download& download) {
    if (!download.outcome) return failed.push_back({name, download.outcome.reason()});
    switch (download.placement) {
        case Placement::Written:
            return downloaded.push_back(name);
        case Placement::Identical:
            return identical.push_back(name);
        case Placement::KeptBoth:
            return keptBoth.push_back(download.file.filename().string());
        case Placement::Skipped:
            return skipped.push_back(name);
    }
}

std::string LogbookDownload::fileNameOf(const FlightEntry& entry, const std::string& extension) {
    fs::path name = fs::path(entry.filename.value_or("")).filename();
    if (name.empty() || name == "." || name == "..") {
        name = "flight-" + entry.number.value_or(std::to_string(entry.key().value_or(0)));
    }
    return name.replace_extension(extension).string();
}

LogbookDownload::Download LogbookDownload::downloadFlight(Logger& logger, const FlightEntry& entry,
                                                          const fs::path& target, bool secure,
                                                          bool native,
                                                          const ExistingFileQuestion& existing) {
    if (!entry.key())
        return Download::failed(Outcome::failure("the recorder gives this flight no number"));
    if (const std::string problem = folderProblem(target); !problem.empty()) {
        return Download::failed(Outcome::refusal(problem));
    }
    fs::path written = partNameBeside(target);
    // A driver with a native format writes its IGC file under the extension IGC.
    if (!native && logger.hasNativeFile()) written.replace_extension("IGC");
    const Outcome outcome =
        logger.readFile(written, *entry.key(), secure && logger.supportsSecure(), !native, &entry);
    std::error_code error;
    if (outcome && fs::exists(written)) {
        PlacedFile placed = placeWrittenFile(written, target, existing);
        if (!placed) return Download::failed(Outcome::failure(placed.error));
        return {Outcome::success(), placed.placement, std::move(placed.file)};
    }
    fs::remove(written, error);
    return Download::failed(outcome ? Outcome::failure("could not write " + target.string())
                                    : outcome);
}

LogbookDownload::Summary LogbookDownload::downloadNewFlights(
    Logger& logger, const fs::path& folder, bool secure, const FlightStarted& started,
    const ExistingFileQuestion& existing, const RecorderPresent& recorderPresent) {
    Summary summary;
    const auto present = Logbook::flightFileNames(folder);
    std::vector<const FlightEntry*> missing;
    for (const FlightEntry& entry : logger.loggerData().flightDirectory()) {
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
        const Download download =
            downloadFlight(logger, *missing[i], folder / name, secure, false, existing);
        if (download.outcome.kind() == Outcome::Kind::Failure && recorderPresent &&
            !recorderPresent()) {
            logf("The recorder went away while %s downloaded (%s).", name.c_str(),
                 download.outcome.reason().c_str());
            summary.failed.push_back({name, "the recorder went away during its download"});
            summary.recorderGone = true;
            for (std::size_t j = i + 1; j < missing.size(); ++j)
                summary.notAttempted.push_back(fileNameOf(*missing[j]));
            break;
        }
        summary.add(name, download);
        if (download.outcome.kind() == Outcome::Kind::Cancelled) break;
    }
    return summary;
}

}  // namespace kelvo
