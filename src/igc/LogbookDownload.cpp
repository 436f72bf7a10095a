#include "igc/LogbookDownload.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "LoggerAccess/Logger.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/Text.h"
#include "igc/Logbook.h"

namespace kelvo {

namespace fs = std::filesystem;

namespace {

// Numbers tried for "NAME (n).EXT" before giving up.
constexpr int kLastFreeNumber = 999;

bool sameContents(const fs::path& first, const fs::path& second) {
    std::error_code error;
    if (fs::file_size(first, error) != fs::file_size(second, error) || error) return false;
    std::ifstream a(first, std::ios::binary);
    std::ifstream b(second, std::ios::binary);
    std::vector<char> bufferA(1 << 16);
    std::vector<char> bufferB(bufferA.size());
    while (a && b) {
        a.read(bufferA.data(), std::streamsize(bufferA.size()));
        b.read(bufferB.data(), std::streamsize(bufferB.size()));
        if (a.gcount() != b.gcount() ||
            !std::equal(bufferA.begin(), bufferA.begin() + a.gcount(), bufferB.begin()))
            return false;
    }
    return a.eof() && b.eof();
}

// Moves the downloaded file to the target, or beside it, or drops it, as the file already
// at the target and the question decide.
LogbookDownload::Download place(const fs::path& written, const fs::path& target,
                                const LogbookDownload::ExistingFileQuestion& existing) {
    using Placement = LogbookDownload::Placement;
    using ExistingFile = LogbookDownload::ExistingFile;
    std::error_code error;
    fs::path destination = target;
    Placement placement = Placement::Written;
    if (fs::exists(target)) {
        if (sameContents(written, target)) {
            fs::remove(written, error);
            return {Outcome::success(), Placement::Identical, target};
        }
        const ExistingFile choice = existing ? existing(target) : ExistingFile::Skip;
        if (choice == ExistingFile::Skip) {
            fs::remove(written, error);
            return {Outcome::success(), Placement::Skipped, {}};
        }
        if (choice == ExistingFile::KeepBoth) {
            destination = LogbookDownload::freeNameBeside(target);
            placement = Placement::KeptBoth;
        }
    }
    if (!destination.empty()) fs::rename(written, destination, error);
    if (destination.empty() || error) {
        fs::remove(written, error);
        return {Outcome::failure("could not write " + target.string()), placement, {}};
    }
    return {Outcome::success(), placement, destination};
}

}  // namespace

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

fs::path LogbookDownload::freeNameBeside(const fs::path& taken) {
    for (int number = 2; number <= kLastFreeNumber; ++number) {
        const fs::path candidate = taken.parent_path() / stringf("%s (%d)%s", taken.stem().c_str(),
                                                                 number, taken.extension().c_str());
        if (!fs::exists(candidate)) return candidate;
    }
    return {};
}

LogbookDownload::Download LogbookDownload::downloadFlight(Logger& logger, const FlightEntry& entry,
                                                          const fs::path& target, bool secure,
                                                          bool native,
                                                          const ExistingFileQuestion& existing) {
    if (!entry.key())
        return Download::failed(Outcome::failure("the recorder gives this flight no number"));
    fs::path written = target.parent_path() / stringf(".%s.%d.part", target.filename().c_str(),
                                                      static_cast<int>(getpid()));
    // A driver with a native format writes its IGC file under the extension IGC.
    if (!native && logger.hasNativeFile()) written.replace_extension("IGC");
    const Outcome outcome =
        logger.readFile(written, *entry.key(), secure && logger.supportsSecure(), !native, &entry);
    std::error_code error;
    if (outcome && fs::exists(written)) return place(written, target, existing);
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
