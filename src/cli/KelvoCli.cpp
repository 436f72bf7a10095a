#include "cli/KelvoCli.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "LoggerAccess/LoggerLimits.h"
#include "LoggerAccess/LX/LXTrackFile.h"
#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerData.h"
#include "LoggerAccess/SerialPortDictionary.h"
#include "base/Format.h"
#include "base/Text.h"
#include "base/UtcDate.h"
#include "cli/CliJson.h"
#include "cli/LoggerSession.h"
#include "files/FileFactory.h"
#include "files/ImportFile.h"
#include "geo/Declaration.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "igc/KelvoTrace.h"

namespace kelvo::cli {

namespace fs = std::filesystem;

namespace {

// The extensions of native LX flights that convert to IGC.
bool isNativeLXFlight(const fs::path& path) {
    const std::string extension = toUpperAscii(path.extension().string());
    return extension == ".LXN" || extension == ".FIL" || extension == ".SDI";
}

std::string readWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file || fs::is_directory(path)) throw OperationFailure("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(file), {});
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

// The waypoints and routes of a waypoint file.
void readWaypointFile(const fs::path& path, LoggerData& data) {
    auto format = waypointFormatOf(path);
    readWholeFile(path);  // an unreadable file is a failure, not an empty list
    format->parseFile(path, data);
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

// The outcome's failure as the command's failure.
void require(const Outcome& outcome) {
    if (!outcome) throw OperationFailure(outcome.reason());
}

std::string entryDateText(const FlightEntry& entry) {
    return entry.date ? isoUtc(*entry.date) : std::string("-");
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

// The directory's file name with the extension of the format asked for; the directory of a
// recorder with a native format names its native files.
fs::path defaultFileName(const Logger& logger, const FlightEntry& entry, bool native) {
    fs::path name = entry.filename.value_or("flight-" + entry.number.value_or(""));
    return name.replace_extension(native ? logger.nativeTrackFileExtension() : "IGC");
}

}  // namespace

int KelvoCli::run(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "help")) {
        m_out << CliArguments::usage() << '\n';
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
}

void KelvoCli::ports() {
    const PortDictionary ports = SerialPortDictionary::serialPortDictionary();
    if (json()) return printJson(m_out, Json(ports));
    for (const auto& [name, path] : ports) m_out << name << '\t' << path << '\n';
}

void KelvoCli::info() {
    LoggerSession session(m_arguments.required("--type"), m_arguments.required("--port"));
    require(session.logger().readInfo());
    const LoggerInfo& info = session.logger().loggerInfo();
    if (json()) return printJson(m_out, Json(info));
    for (const auto& [label, value] : info) m_out << label << ": " << value << '\n';
}

void KelvoCli::flights() {
    LoggerSession session(m_arguments.required("--type"), m_arguments.required("--port"));
    require(session.logger().readDirectory(false));
    const FlightDirectory& directory = session.logger().flightDirectory();
    if (json()) {
        Json entries = Json::array();
        for (const auto& entry : directory) entries.push_back(flightEntryJson(entry));
        return printJson(m_out, entries);
    }
    for (const auto& entry : directory) {
        m_out << stringf("%-3s %-20s %-8s %-13s %s", entry.number.value_or("-").c_str(),
                         entryDateText(entry).c_str(), entry.duration.value_or("-").c_str(),
                         entry.filename.value_or("-").c_str(), entry.pilot.value_or("").c_str())
              << '\n';
    }
}

void KelvoCli::download() {
    const int key = *m_arguments.integer("--flight");
    const bool native = m_arguments.flag("--native");
    LoggerSession session(m_arguments.required("--type"), m_arguments.required("--port"));
    Logger& logger = session.logger();
    if (native && !logger.hasNativeFile()) {
        throw OperationFailure("the " + session.name() + " recorder has no native flight format");
    }
    require(logger.readDirectory(false));
    const FlightEntry& entry = entryWithKey(logger, key);

    const fs::path target =
        m_arguments.value("--output").value_or(defaultFileName(logger, entry, native));
    // The driver writes under a temporary name beside the target, which takes the file only
    // when the whole flight came: a failed download never leaves a file, nor touches an
    // earlier one. A driver with a native format writes its IGC file under the extension IGC.
    const bool translate = !native;
    fs::path written = target.parent_path() / stringf(".%s.%d.part", target.filename().c_str(),
                                                      static_cast<int>(getpid()));
    if (translate && logger.hasNativeFile()) written.replace_extension("IGC");
    const bool secure = logger.supportsSecure() && !m_arguments.flag("--no-secure");
    const Outcome outcome = logger.readFile(written, key, secure, translate, &entry);
    std::error_code error;
    if (outcome && fs::exists(written)) fs::rename(written, target, error);
    if (!outcome || !fs::exists(target) || error) {
        fs::remove(written, error);
        require(outcome);
        throw OperationFailure("could not write " + target.string());
    }
    m_out << target.string() << '\n';
}

void KelvoCli::database() {
    const fs::path output = m_arguments.required("--output");
    auto format = waypointFormatOf(output);
    LoggerSession session(m_arguments.required("--type"), m_arguments.required("--port"));
    Logger& logger = session.logger();
    if (!logger.storesWaypoints() && !logger.storesRoutes()) {
        throw OperationFailure("the " + session.name() + " recorder keeps no waypoints or routes");
    }
    require(logger.readWaypoints(false));
    require(logger.readRoutes(false));
    if (!format->makeFile(output, &logger.loggerData())) {
        throw OperationFailure("could not write " + output.string());
    }
    if (json()) {
        return printJson(m_out, Json{{"file", output.string()},
                                     {"waypoints", logger.waypoints().size()},
                                     {"routes", logger.routes().size()}});
    }
    m_out << output.string() << '\n';
}

void KelvoCli::declaration() {
    LoggerSession session(m_arguments.required("--type"), m_arguments.required("--port"));
    require(session.logger().readDeclaration(false));
    const Declaration& declaration = *session.logger().declaration();
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
    const std::string waypointFile = m_arguments.required("--waypoints");
    readWaypointFile(waypointFile, incoming);
    if (incoming.waypoints().empty() && !m_arguments.flag("--replace-all")) {
        throw OperationFailure(waypointFile +
                               " holds no waypoints; --replace-all empties the recorder's list");
    }
    std::optional<Json> declarationDocument;
    if (const auto path = m_arguments.value("--declaration")) {
        declarationDocument = Json::parse(readWholeFile(*path), nullptr, false);
        if (declarationDocument->is_discarded()) {
            throw OperationFailure(*path + " is not a JSON document");
        }
    }
    LoggerSession session(m_arguments.required("--type"), m_arguments.required("--port"));
    Logger& logger = session.logger();
    if (!logger.storesWaypoints()) {
        throw OperationFailure("the " + session.name() + " recorder keeps no waypoints");
    }
    // What the file does not replace goes back to the recorder as it was, so every part must
    // have been read whole.
    require(logger.readWaypoints(false));
    require(logger.readRoutes(false));
    require(logger.readDeclaration(false));
    logger.setWaypoints(incoming.waypoints());
    if (!incoming.routes().empty()) logger.setRoutes(incoming.routes());
    if (declarationDocument) applyDeclarationJson(*declarationDocument, *logger.declaration());
    if (m_arguments.flag("--truncate")) {
        for (const std::string& cut : LoggerLimits::cutToFit(logger.loggerData(), logger.capabilities())) {
            m_err << "kelvo-cli: cut to fit: " << cut << '\n';
        }
    }
    require(logger.writeDatabaseAndDeclaration());
    m_out << stringf("wrote %zu waypoints, %zu routes and the declaration",
                     logger.waypoints().size(), logger.routes().size())
          << '\n';
}

void KelvoCli::convert() {
    const fs::path input = m_arguments.positionals()[0];
    const fs::path output = m_arguments.positionals()[1];
    if (isNativeLXFlight(input)) {
        if (toUpperAscii(output.extension().string()) != ".IGC") {
            throw UsageError("a native LX flight converts to an .igc file");
        }
        const std::string native = readWholeFile(input);
        const ByteSpan bytes(reinterpret_cast<const std::uint8_t*>(native.data()), native.size());
        if (!LXTrackFile::convertNativeData(bytes, output)) {
            throw OperationFailure("could not write " + output.string());
        }
    } else {
        auto outputFormat = waypointFormatOf(output);
        LoggerData data;
        readWaypointFile(input, data);
        if (!outputFormat->makeFile(output, &data)) {
            throw OperationFailure("could not write " + output.string());
        }
    }
    m_out << output.string() << '\n';
}

void KelvoCli::igc() {
    const fs::path path = m_arguments.positionals()[0];
    readWholeFile(path);  // an unreadable file is a failure, not an empty trace
    const KelvoTrace trace = KelvoTrace::fromIGCFile(path);
    if (json()) return printJson(m_out, traceJson(trace, m_arguments.flag("--fixes")));
    m_out << "File: " << trace.fileName() << '\n';
    m_out << "Date: " << (trace.dateOfFlight() ? isoUtc(*trace.dateOfFlight()).substr(0, 10) : "-")
          << '\n';
    for (const auto& [key, value] : trace.header()) m_out << key << ": " << value << '\n';
    m_out << "Task:\n";
    printTaskText(m_out, trace.waypoints());
    m_out << "Fixes: " << trace.points().size() << '\n';
    if (m_arguments.flag("--fixes")) {
        for (const auto& fix : trace.points()) {
            m_out << stringf("%s %11.6f %11.6f %6.0f", isoUtc(fix.timeStamp()).c_str(),
                             fix.position().latitudeDegrees(), fix.position().longitudeDegrees(),
                             fix.position().elevation())
                  << '\n';
        }
    }
}

}  // namespace kelvo::cli
