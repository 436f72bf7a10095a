#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bytes.h"
#include "geo/Position.h"
#include "geo/Waypoint.h"
#include "igc/TracePosition.h"

namespace kelvo {

// An IGC flight recorder file read into a trace: the flight date, the H records as
// key/value pairs, the declared task (C records) and the fixes (B records). Every other
// record (A, I, E, L, K, G, ...) is accepted and ignored. Lines too short for their fixed
// columns are skipped; a C line is a task point only with its hemisphere letters in columns
// 8 (N/S) and 17 (E/W), so declaration and task-name lines never become points.
//
// Fix dates: fixes read before the HFDTE line take the date of the file's first HFDTE
// line wherever it stands; a file without one dates its fixes on kDateWithoutFlightDate.
// A fix whose time of day lies more than 12 hours before the previous fix's has crossed
// midnight UTC and is dated one day later; a smaller step back stays on the same day. Fixes
// with impossible fields (a time past 23:59:59, a latitude over 90 or a longitude over 180
// degrees) are skipped and counted.
class KelvoTrace {
  public:
    // 1970-01-01, the day that fixes get in a file without a usable HFDTE line.
    static constexpr std::chrono::sys_seconds kDateWithoutFlightDate{};

    KelvoTrace() = default;
    KelvoTrace(Bytes igcData, std::string name);
    // The file's contents under the last component of its path; an unreadable file gives
    // an empty trace with that name.
    static KelvoTrace fromIGCFile(const std::filesystem::path& path);

    // Whether the bytes are an IGC file: one begins with its A record, the recorder's
    // manufacturer and serial ("A" and at least three printable characters). Anything else
    // read as a trace would only give an empty flight.
    static bool isIGCData(ByteSpan data);

    // Stores the bytes and parses them, adding to what the trace already holds.
    void setIGCData(Bytes igcData);
    // setIGCData with the file's contents; false (with nothing stored) when unreadable.
    bool setIGCFile(const std::filesystem::path& path);

    // The per-line steps of parsing; the line is without its line end.
    void processOneLine(std::string_view line);
    void processOneHeaderRecord(std::string_view line);
    void processOneIRecord(std::string_view line);
    void processOneCRecord(std::string_view line);
    void processOneBRecord(std::string_view line);

    // The four-digit year of a two-digit IGC year: the one within 97 years before and
    // 2 years after the current year (in 2026: 28 -> 2028, 29 -> 1929).
    static int prependLikelyCenturyBeforeTwoDigitYear(int twoDigitYear);
    static int prependLikelyCenturyBeforeTwoDigitYear(int twoDigitYear, int currentYear);

    // 00:00:00 UTC of the HFDTE date; nothing until an HFDTE line was read.
    std::optional<std::chrono::sys_seconds> dateOfFlight() const { return m_dateOfFlight; }
    // Also the date of the fixes read afterwards.
    void setDateOfFlight(std::optional<std::chrono::sys_seconds> date);
    const std::string& fileName() const { return m_fileName; }
    void setFileName(std::string name) { m_fileName = std::move(name); }

    const Bytes& igcData() const { return m_igcData; }
    const std::vector<TracePosition>& points() const { return m_points; }
    // B records that were no fix: cut short or with impossible fields.
    std::size_t skippedFixes() const { return m_skippedFixes; }
    // Three-letter code of each H record (DTE, PLT, GTY, ...) -> the rest of its line.
    const std::map<std::string, std::string>& header() const { return m_header; }
    // The text of a header record after its subtitle ("PILOTINCHARGE:Jane Doe" -> "Jane
    // Doe"); empty when the file has no such record.
    std::string headerText(const std::string& code) const;
    // The task's points in file order, take-off and landing included.
    const std::vector<std::shared_ptr<Waypoint>>& waypoints() const { return m_waypoints; }
    // The declared course from start to finish: the task's points without take-off (the
    // first C point) and landing (the last), and without the zero coordinates recorders
    // write for a point they have no position for (such a point is left out, not the legs
    // on either side of it).
    std::vector<std::shared_ptr<Waypoint>> taskCourse() const;

    // Bounding box of the fixes [degrees]; all 0 for a trace without fixes.
    double getExtremeWesternLongitude() const { return m_extremeNorthWest.longitudeDegrees(); }
    double getExtremeEasternLongitude() const { return m_extremeSouthEast.longitudeDegrees(); }
    double getExtremeNorthernLatitude() const { return m_extremeNorthWest.latitudeDegrees(); }
    double getExtremeSouthernLatitude() const { return m_extremeSouthEast.latitudeDegrees(); }
    const Position& extremeNorthWest() const { return m_extremeNorthWest; }
    const Position& extremeSouthEast() const { return m_extremeSouthEast; }

  private:
    void processData();
    // Moves the fixes from index first on by the shift, and the date of the next fix.
    void redateFixes(std::size_t first, std::chrono::seconds shift);
    void addFix(TracePosition fix);
    void adaptExtremesForPosition(const Position& position);

    Bytes m_igcData;
    std::vector<TracePosition> m_points;
    std::map<std::string, std::string> m_header;
    std::vector<std::shared_ptr<Waypoint>> m_waypoints;
    // Every C point line in order, a zero-coordinate placeholder as nullptr: the roles of
    // the task's points are their places in this list.
    std::vector<std::shared_ptr<Waypoint>> m_declaredPoints;
    std::optional<std::chrono::sys_seconds> m_dateOfFlight;
    std::string m_fileName;
    Position m_extremeNorthWest;
    Position m_extremeSouthEast;

    // Day on which the next fix is taken to be flown, and the previous fix's time of day
    // (to see midnight passing).
    std::chrono::sys_seconds m_fixDate = kDateWithoutFlightDate;
    std::optional<std::chrono::seconds> m_previousTimeOfDay;
    std::size_t m_skippedFixes = 0;
};

}  // namespace kelvo
