#include "igc/FlightExport.h"

#include "base/AtomicFile.h"
#include "base/Format.h"
#include "base/Text.h"
#include "base/UtcDate.h"
#include "base/Windows1252.h"
#include "igc/KelvoTrace.h"

namespace kelvo {

namespace {

// File bytes as XML character data: UTF-8 (a header in another encoding is taken as
// Windows-1252), markup characters escaped, control characters that XML forbids left out.
std::string xmlText(std::string_view bytes) {
    const std::string utf8 = isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
    std::string out;
    for (const char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
        }
    }
    return out;
}

// "Anna Keller, LS8 D-1234, 2026-05-14", of the parts the header has.
std::string trackName(const KelvoTrace& trace) {
    std::string name;
    const auto add = [&name](const std::string& part, const char* separator) {
        if (part.empty()) return;
        if (!name.empty()) name += separator;
        name += part;
    };
    add(trace.headerText("PLT"), ", ");
    add(trace.headerText("GTY"), ", ");
    add(trace.headerText("GID"), " ");
    if (trace.dateOfFlight()) add(isoUtc(*trace.dateOfFlight()).substr(0, 10), ", ");
    if (name.empty()) name = trace.fileName();
    return xmlText(name);
}

std::string kml(const KelvoTrace& trace) {
    const std::string name = trackName(trace);
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
        "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
        "<Document>\n<name>" +
        name +
        "</name>\n"
        "<Style "
        "id=\"track\"><LineStyle><color>ff0000ff</color><width>2</width></LineStyle></Style>\n"
        "<Placemark>\n<name>" +
        name +
        "</name>\n<styleUrl>#track</styleUrl>\n"
        "<gx:Track>\n<altitudeMode>absolute</altitudeMode>\n";
    std::string coordinates;
    for (const auto& fix : trace.points()) {
        if (!fix.isValid()) continue;
        text += "<when>" + isoUtc(fix.timeStamp()) + "</when>\n";
        const Position position = fix.position();
        coordinates += stringf("<gx:coord>%.7f %.7f %.0f</gx:coord>\n", position.longitudeDegrees(),
                               position.latitudeDegrees(), position.elevation());
    }
    return text + coordinates + "</gx:Track>\n</Placemark>\n</Document>\n</kml>\n";
}

std::string gpx(const KelvoTrace& trace) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Kelvo\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "<trk>\n<name>" +
        trackName(trace) + "</name>\n<trkseg>\n";
    for (const auto& fix : trace.points()) {
        if (!fix.isValid()) continue;
        const Position position = fix.position();
        text += stringf("<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%.0f</ele><time>%s</time></trkpt>\n",
                        position.latitudeDegrees(), position.longitudeDegrees(),
                        position.elevation(), isoUtc(fix.timeStamp()).c_str());
    }
    return text + "</trkseg>\n</trk>\n</gpx>\n";
}

}  // namespace

std::optional<FlightExport::Format> FlightExport::formatNamed(std::string_view name) {
    const std::string lower = toLowerAscii(name);
    if (lower == "kml") return Format::Kml;
    if (lower == "gpx") return Format::Gpx;
    return std::nullopt;
}

std::string FlightExport::text(const KelvoTrace& trace, Format format) {
    return format == Format::Kml ? kml(trace) : gpx(trace);
}

bool FlightExport::write(const KelvoTrace& trace, Format format,
                         const std::filesystem::path& path) {
    return writeFileAtomically(path, text(trace, format));
}

}  // namespace kelvo
