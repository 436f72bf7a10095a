#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

class KelvoTrace;

// A flight for other programs: KML for Google Earth (a three-dimensional track at its GNSS
// altitudes, with the time of every point) and GPX 1.1 (one track of one segment, every point
// with its elevation and time). Every valid fix becomes a point; a "V" fix is left out, as
// its altitude means nothing. The pilot, glider and date of the header name the track.
class FlightExport {
  public:
    enum class Format { Kml, Gpx };

    // "kml" or "gpx" in any case; nothing for another name.
    static std::optional<Format> formatNamed(std::string_view name);
    static std::string text(const KelvoTrace& trace, Format format);
    // The text written atomically; false when the file could not be written.
    static bool write(const KelvoTrace& trace, Format format, const std::filesystem::path& path);
};

}  // namespace kelvo
