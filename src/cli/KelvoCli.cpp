#include "cli/KelvoCli.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/DeclarationFit.h"
#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerData.h"
#include "LoggerAccess/LoggerFactory.h"
#include "LoggerAccess/LoggerLimits.h"
#include "LoggerAccess/SerialPortDictionary.h"
#include "base/AtomicFile.h"
#include "base/FilePlacement.h"
#include "base/Format.h"
#include "base/InputFile.h"
#include "base/Text.h"
#include "base/TransferRate.h"
#include "base/UtcDate.h"
#include "cli/CliJson.h"
#include "cli/LoggerSession.h"
#include "files/FileFactory.h"
#include "files/ImportFile.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "igc/FlightExport.h"
#include "igc/FlightStatistics.h"
#include "igc/IGCCheck.h"
#include "igc/KelvoTrace.h"
#include "igc/Logbook.h"
#include "igc/LogbookDownload.h"

namespace kelvo::cli {

namespace fs = std::filesystem;

namespace {

// A folder, device, pipe or a file over the size limit is refused before it is read.
Bytes readWholeFile(const fs::path& path) {
    InputFile file = readInputFile(path);
    if (!file) throw OperationFailure(file.error);
    return std::move(file.bytes);
}

// The waypoint format of the file's extension; a usage error when there is none.
std::unique_ptr<ImportFile> waypointFormatOf(const fs::path& path) {
    FileFactory& factory = FileFactory::shared();
    if (factory.getRegisteredFiles().empty()) {
        factory.registerBuiltinFiletypes();
        factory.registerPlugins();
    }
    auto format = factory.getFileInstanceWithExtension(path.extension().string());
    if (!format) {
        std::string known;
        for (const auto& extension : factory.getRegisteredFiles()) known += " " + extension;
        throw UsageError("no waypoint file format for \"" + path.string() + "\"; known:" + known);
    }
    return format;
}

// The waypoints and routes of a waypoint file. A file without waypoints is allowed unless
// refused: upload decides about it itself (--replace-all). A line that cannot be read fails
// the file unless such lines are skipped; each one skipped is listed on err.
void readWaypointFile(const fs::path& path, LoggerData& data, bool skipBadLines, std::ostream& err,
                      ImportFile::EmptyFile empty = ImportFile::EmptyFile::Allowed) {
    const auto format = waypointFormatOf(path);
    const std::string error = format->parseFile(
        path, data, empty,
        skipBadLines ? ImportFile::BadLines::Skipped : ImportFile::BadLines::Refused);
    if (!error.empty()) {
        const bool badLine = !skipBadLines && !format->badLines().empty();
        throw OperationFailure(badLine ? error + "; --skip-bad-lines takes the rest" : error);
    }
    for (const std::string& line : format->badLines()) {
        err << "kelvo-cli: skipped " << path.string() << " " << line << '\n';
    }
}

void printJson(std::ostream& out, const Json& document) {
    out << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

std::string pointText(const Waypoint& waypoint) {
    return stringf("%-10s %11.6f %11.6f", waypoint.name().c_str(), waypoint.latitudeDegrees(),
                   waypoint.longitudeDegrees());
}

std::string zoneText(const Waypoint& waypoint) {
    const auto* turnpoint = dynamic_cast<const Turnpoint*>(&waypoint);
    if (turnpoint == nullptr) return "";
    if (turnpoint->getOzType() == 1) return stringf("  line %d", turnpoint->getLineWidth());
    return stringf("  cylinder %d m, sector %d m at %d deg", turnpoint->getCylinderRadius(),
                   turnpoint->getSectorRadius(), turnpoint->getSectorDirection());
}

void printTaskText(std::ostream& out, const std::vector<std::shared_ptr<Waypoint>>& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        out << stringf("  %2zu %s", i + 1, pointText(*points[i]).c_str()) << zoneText(*points[i])
            << '\n';
    }
}

// Why a download refused to touch a file of other content under its name.
std::string takenNameReason(const fs::path& target) {
    return target.string() +
           " exists with other content; --replace replaces it, --keep-both keeps both";
}

// Checked before a recorder is asked for anything that is to go there.
void requireFolderFor(const fs::path& output) {
    if (const std::string problem = folderProblem(output); !problem.empty()) {
        throw OperationFailure(problem);
    }
}

// The outcome's failure as the command's failure.
void require(const Outcome& outcome) {
    if (!outcome) throw OperationFailure(outcome.reason());
}

// A column of the flight list: its width and the text of an absent field.
struct TextColumn {
    const FlightColumn* column;
    int width;
    const char* absent;
};

std::string flightListLine(const FlightEntry& entry) {
    static const TextColumn kColumns[] = {{&FlightColumn::number, 3, "-"},
                                          {&FlightColumn::date, 20, "unknown date"},
                                          {&FlightColumn::duration, 8, "-"},
                                          {&FlightColumn::fileName, 13, "-"},
                                          {&FlightColumn::pilot, 0, ""}};
    std::string line;
    for (const auto& [column, width, absent] : kColumns) {
        line += stringf("%-*s ", width, columnText(*column, entry).value_or(absent).c_str());
    }
    line.pop_back();
    return line;
}

const FlightEntry& entryWithKey(const Logger& logger, int key) {
    const auto& directory = logger.loggerData().flightDirectory();
    for (const auto& entry : directory) {
        if (entry.key() == key) return entry;
    }
    if (directory.empty()) throw OperationFailure("the recorder lists no flights");
    throw OperationFailure(stringf("no flight %d; the recorder lists %zu flight(s), see 'flights'",
                                   key, directory.size()));
}

std::string timeText(const std::optional<std::chrono::sys_seconds>& time) {
    return time ? isoUtc(*time) : std::string("-");
}

std::string durationText(std::chrono::seconds duration) {
    const long long total = duration.count();
    return stringf("%lld:%02lld", total / 3600, total / 60 % 60);
}

std::string altitudeText(const std::optional<double>& metres) {
    return metres ? stringf("%.0f m", *metres) : std::string("-");
}

void printStatisticsText(std::ostream& out, const FlightStatistics& statistics) {
    out << "Take-off: " << timeText(statistics.takeoff) << '\n'
        << "Landing: " << timeText(statistics.landing) << '\n'
        << "Flight time: " << durationText(statistics.flightTime) << '\n'
        << stringf("Distance flown: %.1f km\n", statistics.distanceFlown)
        << stringf("Greatest distance from take-off: %.1f km\n",
                   statistics.greatestDistanceFromTakeoff)
        << "Highest altitude: " << altitudeText(statistics.highestAltitude) << '\n'
        << "Lowest altitude: " << altitudeText(statistics.lowestAltitude) << '\n'
        << stringf("Altitude gained: %.0f m\n", statistics.altitudeGained) << "Best 30 s climb: "
        << (statistics.bestClimb ? stringf("%.1f m/s", *statistics.bestClimb) : "-") << '\n'
        << "Task distance: "
        << (statistics.taskDistance ? stringf("%.1f km", *statistics.taskDistance) : "-") << '\n'
        << "Free distance: "
        << (statistics.freeDistance ? stringf("%.1f km", statistics.freeDistance->distance) : "-")
        << '\n';
}

// Progress on standard error while a scan reads many files, when a person watches it.
Logbook::Progress terminalProgress(std::ostream& err) {
    if (!::isatty(STDERR_FILENO)) return {};
    return [&err](std::size_t done, std::size_t total) {
        if (total < 100 || (done % 50 != 0 && done != total)) return;
        err << stringf("\rreading flights: %zu of %zu", done, total) << (done == total ? "\n" : "")
            << std::flush;
    };
}

// A transfer's progress, rate and time left on standard error, when a person watches it.
void showTransferProgress(Logger& logger, std::ostream& err) {
    if (!::isatty(STDERR_FILENO)) return;
    logger.setProgressHandler([&err, rate = TransferRate(),
                               shown = TransferRate::Clock::time_point()](
                                  const Progress& progress) mutable {
        const auto now = TransferRate::Clock::now();
        rate.update(progress.bytes, progress.fraction, now);
        const bool done = progress.fraction && *progress.fraction >= 1.0;
        if (now - shown < std::chrono::milliseconds(250) && !done) return;
        shown = now;
        const std::string percent =
            progress.fraction ? stringf("%3.0f%% ", *progress.fraction * 100.0) : std::string();
        err << stringf("\r%s %s%s   ", progress.text.c_str(), percent.c_str(), rate.text().c_str())
            << (done ? "\n" : "") << std::flush;
    });
}

}  // namespace

int KelvoCli::run(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "help")) {
        m_out << CliArguments::usage() << "\nfamilies:";
        for (const auto& name : LoggerSession::registry().registeredLoggers()) {
            m_out << " \"" << name << '"';
        }
        m_out << '\n';
        return 0;
    }
    try {
        m_arguments = CliArguments::parse(arguments);
        dispatch();
        return 0;
    } catch (const UsageError& error) {
        m_err << "kelvo-cli: " << error.what() << " (kelvo-cli --help shows the usage)\n";
        return 2;
    } catch (const std::exception& error) {
        m_err << "kelvo-cli: " << error.what() << '\n';
        return 1;
    }
}

void KelvoCli::dispatch() {
    const std::string& command = m_arguments.command();
    if (command == "ports") return ports();
    if (command == "info") return info();
    if (command == "flights") return flights();
    if (command == "download") return download();
    if (command == "database") return database();
    if (command == "declaration") return declaration();
    if (command == "upload") return upload();
    if (command == "convert") return convert();
    if (command == "igc") return igc();
    if (command == "export") return exportFlight();
    if (command == "logbook") return logbook();
    if (command == "check") return check();
}

void KelvoCli::ports() {
    const PortDictionary ports = SerialPortDictionary::serialPortDictionary();
    if (json()) {
        Json list = Json::array();
        for (const auto& [name, port] : ports) {
            Json entry{{"name", name}, {"path", port.path}, {"identity", port.identity}};
            if (!port.description.empty()) entry["description"] = port.description;
            if (!port.problem.empty()) entry["problem"] = port.problem;
            list.push_back(entry);
        }
        return printJson(m_out, list);
    }
    for (const auto& [name, port] : ports) {
        m_out << name << '\t' << port.path
              << (port.problem.empty() ? "" : " (" + port.problem + ")") << '\n';
    }
}

void KelvoCli::info() {
    LoggerSession session(m_arguments);
    require(session.logger().readInfo());
    // The family first: without --type it is the one that answered.
    Json document{{"Logger type", session.name()}};
    for (const auto& [label, value] : session.logger().loggerData().loggerInfo())
        document[label] = value;
    if (json()) return printJson(m_out, document);
    for (const auto& [label, value] : document.items()) {
        m_out << label << ": " << value.get<std::string>() << '\n';
    }
}

void KelvoCli::flights() {
    LoggerSession session(m_arguments);
    require(session.logger().readDirectory(false));
    const FlightDirectory& directory = session.logger().loggerData().flightDirectory();
    if (json()) {
        Json entries = Json::array();
        for (const auto& entry : directory) entries.push_back(flightEntryJson(entry));
        return printJson(m_out, entries);
    }
    for (const auto& entry : directory) m_out << flightListLine(entry) << '\n';
}

void KelvoCli::download() {
    if (m_arguments.flag("--new")) return downloadNew();
    const auto key = m_arguments.integer("--flight");
    if (!key) throw UsageError("download needs --flight or --new");
    const bool native = m_arguments.flag("--native");
    LoggerSession session(m_arguments);
    Logger& logger = session.logger();
    showTransferProgress(logger, m_err);
    if (native && !logger.hasNativeFile()) {
        throw OperationFailure("the " + session.name() + " recorder has no native flight format");
    }
    require(logger.readDirectory(false));
    const FlightEntry& entry = entryWithKey(logger, *key);
    const std::string extension = native ? session.family().nativeExtension : "IGC";
    const fs::path target =
        m_arguments.value("--output").value_or(LogbookDownload::fileNameOf(entry, extension));
    // The name says what the file holds: native bytes in a .IGC file would pass for a flight
    // that no IGC reader can read.
    if (toUpperAscii(target.extension().string()) != "." + toUpperAscii(extension)) {
        if (native) {
            throw UsageError("--native writes the recorder's own format: the output must end in ." +
                             extension);
        }
        throw UsageError(
            "download writes IGC: the output must end in .igc (--native writes the recorder's "
            "own format)");
    }
    const LogbookDownload::Download download = LogbookDownload::downloadFlight(
        logger, entry, target, secure(), native, existingFileChoice());
    require(download.outcome);
    reportPlacement(download.placement, target, download.file, "this flight");
    if (!native && download.placement != Placement::Identical) warnOfProblems(download.file);
    m_out << download.file.string() << '\n';
}

void KelvoCli::reportPlacement(Placement placement, const fs::path& target, const fs::path& file,
                               const char* contents) {
    if (placement == Placement::Skipped) throw OperationFailure(takenNameReason(target));
    if (placement == Placement::Identical) {
        m_err << "kelvo-cli: " << file.string() << " holds " << contents
              << " already; not written\n";
    }
}

fs::path KelvoCli::writeOutput(const fs::path& output,
                               const std::function<bool(const fs::path&)>& write) {
    requireFolderFor(output);
    const fs::path part = partNameBeside(output);
    if (!write(part)) {
        std::error_code ignored;
        fs::remove(part, ignored);
        throw OperationFailure("could not write " + output.string());
    }
    const PlacedFile placed = placeWrittenFile(part, output, existingFileChoice());
    if (!placed) throw OperationFailure(placed.error);
    reportPlacement(placed.placement, output, placed.file, "the same contents");
    return placed.file;
}

ExistingFileQuestion KelvoCli::existingFileChoice() const {
    const bool replace = m_arguments.flag("--replace");
    const bool keepBoth = m_arguments.flag("--keep-both");
    if (replace && keepBoth) {
        throw UsageError(m_arguments.command() + " takes --replace or --keep-both, not both");
    }
    const ExistingFile choice = replace    ? ExistingFile::Replace
                                : keepBoth ? ExistingFile::KeepBoth
                                           : ExistingFile::Skip;
    return [choice](const fs::path&) { return choice; };
}

void KelvoCli::downloadNew() {
    if (m_arguments.value("--flight") || m_arguments.value("--output") ||
        m_arguments.flag("--native")) {
        throw UsageError("download --new takes --dir, not --flight, --output or --native");
    }
    const fs::path folder = m_arguments.value("--dir").value_or(Logbook::defaultFlightsFolder());
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder))
        throw OperationFailure("cannot make the folder " + folder.string());
    LoggerSession session(m_arguments);
    Logger& logger = session.logger();
    showTransferProgress(logger, m_err);
    require(logger.readDirectory(false));
    // A recorder that went away leaves no device behind its port.
    const std::string port = LoggerSession::devicePathOf(m_arguments.required("--port"));
    const auto recorderPresent = [&port] {
        std::error_code error;
        return fs::exists(port, error);
    };
    auto outcome = LogbookDownload::downloadNewFlights(logger, folder, secure(), {},
                                                       existingFileChoice(), recorderPresent);
    for (const auto& name : outcome.skipped)
        outcome.failed.push_back({name, takenNameReason(folder / name)});
    if (json()) {
        Json failed = Json::array();
        for (const auto& failure : outcome.failed) {
            failed.push_back({{"file", failure.file}, {"reason", failure.reason}});
        }
        printJson(m_out, Json{{"folder", folder.string()},
                              {"downloaded", outcome.downloaded},
                              {"alreadyPresent", outcome.alreadyPresent},
                              {"identical", outcome.identical},
                              {"keptBoth", outcome.keptBoth},
                              {"failed", failed},
                              {"notAttempted", outcome.notAttempted}});
    } else {
        for (const auto& names : {outcome.downloaded, outcome.keptBoth})
            for (const auto& name : names) m_out << (folder / name).string() << '\n';
        m_out << stringf("downloaded %zu, already present %zu, failed %zu",
                         outcome.downloaded.size(),
                         outcome.alreadyPresent.size() + outcome.identical.size(),
                         outcome.failed.size())
              << (outcome.keptBoth.empty() ? ""
                                           : stringf(", kept both %zu", outcome.keptBoth.size()))
              << '\n';
    }
    for (const auto& failure : outcome.failed) {
        m_err << "kelvo-cli: " << failure.file << ": " << failure.reason << '\n';
    }
    if (!outcome.notAttempted.empty()) {
        m_err << "kelvo-cli: not attempted, as the recorder went away:";
        for (const auto& name : outcome.notAttempted) m_err << ' ' << name;
        m_err << '\n';
    }
    if (!outcome.failed.empty()) {
        throw OperationFailure(stringf("%zu flight(s) failed", outcome.failed.size()));
    }
}

void KelvoCli::database() {
    const fs::path output = m_arguments.required("--output");
    auto format = waypointFormatOf(output);
    requireFolderFor(output);
    LoggerSession session(m_arguments);
    Logger& logger = session.logger();
    showTransferProgress(logger, m_err);
    if (!logger.storesWaypoints() && !logger.storesRoutes()) {
        throw OperationFailure("the " + session.name() + " recorder keeps no waypoints or routes");
    }
    require(logger.readWaypoints(false));
    require(logger.readRoutes(false));
    const fs::path written = writeOutput(
        output, [&](const fs::path& part) { return format->makeFile(part, &logger.loggerData()); });
    if (json()) {
        return printJson(m_out, Json{{"file", written.string()},
                                     {"waypoints", logger.loggerData().waypoints().size()},
                                     {"routes", logger.loggerData().routes().size()}});
    }
    m_out << written.string() << '\n';
}

void KelvoCli::declaration() {
    LoggerSession session(m_arguments);
    require(session.logger().readDeclaration(false));
    const Declaration& declaration = *session.logger().loggerData().declaration();
    if (json()) return printJson(m_out, declarationJson(declaration));
    const std::pair<const char*, std::string> lines[] = {
        {"Pilot 1", declaration.pilot1()},
        {"Pilot 2", declaration.pilot2()},
        {"Pilot 3", declaration.pilot3()},
        {"Pilot 4", declaration.pilot4()},
        {"Glider ID", declaration.gliderID()},
        {"Glider type", declaration.gliderType()},
        {"Competition ID", declaration.competitionID()},
        {"Competition class", declaration.competitionClassDescription()},
        {"Home point", declaration.homePoint() ? pointText(*declaration.homePoint()) : ""},
    };
    for (const auto& [label, value] : lines) m_out << label << ": " << value << '\n';
    m_out << "Task:\n";
    if (declaration.task()) {
        const auto& turnpoints = declaration.task()->turnpoints();
        printTaskText(m_out, {turnpoints.begin(), turnpoints.end()});
    }
}

void KelvoCli::upload() {
    LoggerData incoming;
    const auto waypointFile = m_arguments.value("--waypoints");
    if (waypointFile) {
        readWaypointFile(*waypointFile, incoming, m_arguments.flag("--skip-bad-lines"), m_err);
        if (incoming.waypoints().empty() && !m_arguments.flag("--replace-all")) {
            throw OperationFailure(*waypointFile +
                                   " holds no waypoints; --replace-all empties the recorder's list");
        }
    }
    std::optional<Json> declarationDocument;
    if (const auto path = m_arguments.value("--declaration")) {
        declarationDocument = Json::parse(readWholeFile(*path), nullptr, false);
        if (declarationDocument->is_discarded()) {
            throw OperationFailure(*path + " is not a JSON document");
        }
        // Refused before the recorder is touched: a key or value it does not know.
        Declaration validated;
        applyDeclarationJson(*declarationDocument, validated);
    }
    const bool clearTask = m_arguments.flag("--clear-task");
    if (!waypointFile && !declarationDocument && !clearTask) {
        throw UsageError("upload needs --waypoints, --declaration or --clear-task");
    }
    LoggerSession session(m_arguments);
    Logger& logger = session.logger();
    showTransferProgress(logger, m_err);
    logger.setRestartAfterDeclaration(!m_arguments.flag("--no-restart"));
    if (waypointFile && !logger.storesWaypoints()) {
        throw OperationFailure("the " + session.name() +
                               " recorder keeps no waypoints; upload its declaration without "
                               "--waypoints");
    }
    if (!waypointFile && logger.storesWaypoints()) {
        throw OperationFailure("the " + session.name() +
                               " recorder keeps waypoints, which upload replaces: give them with "
                               "--waypoints");
    }
    // What the files do not replace goes back to the recorder as it was, so every part must
    // have been read whole.
    if (logger.storesWaypoints()) {
        require(logger.readWaypoints(false));
        require(logger.readRoutes(false));
    }
    require(logger.readDeclaration(false));
    std::set<std::string> routeNamesAsRead;
    for (const auto& route : logger.loggerData().routes()) routeNamesAsRead.insert(route->name());
    LoggerData& data = logger.loggerData();
    if (waypointFile) {
        data.setWaypoints(incoming.waypoints());
        if (!incoming.routes().empty()) data.setRoutes(incoming.routes());
    }
    if (declarationDocument) applyDeclarationJson(*declarationDocument, *data.declaration());
    if (clearTask) data.declaration()->setTask(std::make_shared<Task>());
    if (m_arguments.flag("--truncate")) {
        for (const std::string& cut : LoggerLimits::cutToFit(data, logger.capabilities())) {
            m_err << "kelvo-cli: cut to fit: " << cut << '\n';
        }
    }
    // What the recorder will not keep as it stands, as Save to Logger lists it, when the
    // write goes ahead (more than it holds is refused, naming the limit); the verification
    // below compares with what it can keep.
    if (LoggerLimits::excess(data, logger.capabilities()).empty()) {
        for (const std::string& change : LoggerLimits::unkeptChanges(logger, routeNamesAsRead)) {
            m_err << "kelvo-cli: not kept as it stands: " << change << '\n';
        }
    }
    // The declaration's texts and names as the recorder keeps them, listed just above.
    if (const auto limits = logger.declarationLimits()) {
        DeclarationFit::apply(*data.declaration(), *limits);
    }
    const Outcome written = logger.writeDatabaseAndDeclaration();
    require(written);
    if (waypointFile) {
        m_out << stringf("wrote %zu waypoints, %zu routes and the declaration",
                         data.waypoints().size(), data.routes().size())
              << '\n';
    } else {
        m_out << "wrote the declaration\n";
    }
    if (!written.note().empty()) m_out << written.note() << '\n';
    if (logger.capabilities().restartsForDeclaration) {
        m_out << (logger.restartAfterDeclaration()
                      ? "the " + session.name() + " was restarted so that the declaration takes effect"
                      : "the " + session.name() +
                            " was not restarted: the declaration takes effect when it next starts")
              << '\n';
    }
    const DeclarationVerification verification = DeclarationCheck::verifyWritten(logger);
    if (!verification.acceptable()) throw OperationFailure("declaration " + verification.text());
    m_out << "declaration " << verification.text() << '\n';
}

void KelvoCli::convert() {
    const fs::path input = m_arguments.positionals()[0];
    const fs::path output = m_arguments.positionals()[1];
    const LoggerDescriptor* family =
        LoggerSession::registry().loggerClassConvertingExtension(input.extension().string());
    fs::path written;
    if (family) {
        if (toUpperAscii(output.extension().string()) != ".IGC") {
            throw UsageError("a native " + family->name + " flight converts to an .igc file");
        }
        const std::string igc = convertNativeFlight(*family, input);
        written = writeOutput(output,
                              [&](const fs::path& part) { return writeFileAtomically(part, igc); });
        warnOfProblems(written);
    } else {
        auto outputFormat = waypointFormatOf(output);
        LoggerData data;
        readWaypointFile(input, data, m_arguments.flag("--skip-bad-lines"), m_err,
                         ImportFile::EmptyFile::Refused);
        written = writeOutput(
            output, [&](const fs::path& part) { return outputFormat->makeFile(part, &data); });
    }
    m_out << written.string() << '\n';
}

// An incomplete flight (cut off, or not of the family's format at all) gives nothing
// unless --partial asks for what there is.
std::string KelvoCli::convertNativeFlight(const LoggerDescriptor& family, const fs::path& input) {
    NativeConversion flight = family.nativeToIGC(readWholeFile(input));
    if (!flight.complete()) {
        const std::string problem =
            input.string() + " is not a complete flight: " + flight.incomplete;
        if (!m_arguments.flag("--partial")) {
            throw OperationFailure(problem + " (--partial converts what there is)");
        }
        m_err << "kelvo-cli: " << problem << "; converted what there is\n";
    }
    if (flight.igc.empty()) throw OperationFailure(input.string() + " holds no flight to convert");
    return std::move(flight.igc);
}

void KelvoCli::igc() {
    const fs::path path = m_arguments.positionals()[0];
    Bytes bytes = readWholeFile(path);
    if (!KelvoTrace::isIGCData(bytes)) {
        throw OperationFailure(path.string() +
                               " is not an IGC file (it does not begin with an A record)");
    }
    const KelvoTrace trace(std::move(bytes), path.filename().string());
    const FlightStatistics statistics = FlightStatistics::of(trace);
    if (json()) {
        Json document = traceJson(trace);
        document["statistics"] = statisticsJson(statistics);
        return writeTraceJson(m_out, document, trace, m_arguments.flag("--fixes"));
    }
    m_out << "File: " << trace.fileName() << '\n';
    m_out << "Date: " << (trace.dateOfFlight() ? isoUtc(*trace.dateOfFlight()).substr(0, 10) : "-")
          << '\n';
    for (const auto& [key, value] : trace.header()) m_out << key << ": " << value << '\n';
    m_out << "Task:\n";
    printTaskText(m_out, trace.waypoints());
    m_out << "Fixes: " << trace.points().size() << '\n';
    if (trace.skippedFixes() > 0) m_out << "Skipped fixes: " << trace.skippedFixes() << '\n';
    printStatisticsText(m_out, statistics);
    if (m_arguments.flag("--fixes")) {
        for (const auto& fix : trace.points()) {
            m_out << stringf("%s %11.6f %11.6f %6.0f", isoUtc(fix.timeStamp()).c_str(),
                             fix.position().latitudeDegrees(), fix.position().longitudeDegrees(),
                             fix.position().elevation())
                  << '\n';
        }
    }
}

// Next to the flight under its name unless --output names the file; a file already there
// is replaced only with --replace.
void KelvoCli::exportFlight() {
    const fs::path input = m_arguments.positionals()[0];
    const std::string formatName = m_arguments.required("--to");
    const auto format = FlightExport::formatNamed(formatName);
    if (!format) throw UsageError("export writes --to kml or --to gpx, not " + formatName);
    const fs::path output =
        m_arguments.value("--output")
            .value_or(fs::path(input).replace_extension(toLowerAscii(formatName)).string());
    std::error_code error;
    if (fs::exists(output, error) && !m_arguments.flag("--replace")) {
        throw OperationFailure(output.string() + " exists; --replace replaces it");
    }
    const KelvoTrace trace(readWholeFile(input), input.filename().string());
    if (trace.points().empty()) throw OperationFailure(input.string() + " holds no fixes");
    if (!FlightExport::write(trace, *format, output)) {
        throw OperationFailure("could not write " + output.string());
    }
    m_out << output.string() << '\n';
}

void KelvoCli::logbook() {
    const fs::path folder = m_arguments.positionals().empty()
                                ? Logbook::defaultFlightsFolder()
                                : fs::path(m_arguments.positionals()[0]);
    if (!fs::is_directory(folder)) throw OperationFailure("no flights folder " + folder.string());
    Logbook book(folder, Logbook::defaultIndexFile(folder));
    std::vector<LogbookEntry> entries = book.scan(terminalProgress(m_err));
    // What could not be read is named on standard error and left out of the listing; the
    // summary fails the command, as the listing is not the whole folder.
    const std::string unread = book.unreadSummary(entries);
    for (const auto& entry : entries) {
        if (!entry.problem.empty())
            m_err << "kelvo-cli: " << entry.file << " " << entry.problem << '\n';
    }
    for (const auto& subfolder : book.unreadableFolders()) {
        m_err << "kelvo-cli: folder " << subfolder << '\n';
    }
    std::erase_if(entries, [](const LogbookEntry& entry) { return !entry.problem.empty(); });
    if (json()) {
        Json list = Json::array();
        for (const auto& entry : entries) list.push_back(logbookEntryJson(entry));
        printJson(m_out, list);
    } else {
        printLogbookText(folder, entries);
    }
    if (!unread.empty()) throw OperationFailure(unread);
}

void KelvoCli::printLogbookText(const fs::path& folder, const std::vector<LogbookEntry>& entries) {
    for (const auto& entry : entries) {
        m_out << stringf("%-10s %-5s %-5s %6s %-20s %-12s %-8s %-4s %7.1f km %7.1f km %6s  %s",
                         entry.date ? isoUtc(*entry.date).substr(0, 10).c_str() : "-",
                         entry.takeoff ? isoUtc(*entry.takeoff).substr(11, 5).c_str() : "-",
                         entry.landing ? isoUtc(*entry.landing).substr(11, 5).c_str() : "-",
                         durationText(entry.flightTime).c_str(), entry.pilot.c_str(),
                         entry.gliderType.c_str(), entry.registration.c_str(),
                         entry.competitionId.c_str(), entry.distance, entry.freeDistance,
                         altitudeText(entry.highestAltitude).c_str(), entry.file.c_str())
              << '\n';
    }
    if (entries.empty()) m_out << "no IGC files in " << folder.string() << '\n';
}

void KelvoCli::check() {
    const auto& files = m_arguments.positionals();
    std::size_t withProblems = 0;
    Json document = Json::object();
    for (const std::string& file : files) {
        const std::vector<IGCProblem> problems = IGCCheck::checkFile(file);
        if (!problems.empty()) ++withProblems;
        Json list = Json::array();
        for (const IGCProblem& problem : problems) {
            list.push_back({{"line", problem.line}, {"reason", problem.reason}});
            if (!json()) m_out << file << ": " << problem.text() << '\n';
        }
        if (!json() && problems.empty()) m_out << file << ": ok\n";
        document[file] = std::move(list);
    }
    if (json()) printJson(m_out, document);
    if (withProblems > 0) {
        throw OperationFailure(
            stringf("%zu of %zu file(s) would not pass as IGC files", withProblems, files.size()));
    }
}

// A file written from a recorder's data is kept even when it would not pass (its G record
// covers the recorder's own bytes), but the pilot hears of each problem.
void KelvoCli::warnOfProblems(const fs::path& igcFile) {
    for (const IGCProblem& problem : IGCCheck::checkFile(igcFile)) {
        m_err << "kelvo-cli: warning: " << igcFile.string() << ": " << problem.text() << '\n';
    }
}

}  // namespace kelvo::cli
