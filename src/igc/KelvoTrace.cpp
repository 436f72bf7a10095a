#include "igc/KelvoTrace.h"

#include <algorithm>
#include <cstring>

#include "base/InputFile.h"
#include "base/Text.h"
#include "base/UtcDate.h"
#include "base/Windows1252.h"

namespace kelvo {

using namespace std::chrono;

namespace {

constexpr std::string_view kDateRecord = "HFDTE";
// Current recorders write "HFDTEDATE:DDMMYY,NN" (NN = flight of the day) for "HFDTEDDMMYY".
constexpr std::string_view kLongDateRecord = "HFDTEDATE:";
constexpr std::size_t kDateWidth = 6;
// The fixed columns of a B record, and the shortest line that holds them with a line end.
constexpr std::size_t kFixLineLength = 35;
constexpr std::size_t kShortestFixLine = kFixLineLength + 1;
constexpr std::size_t kHeaderKeyColumn = 2;
constexpr std::size_t kHeaderValueColumn = 5;

// C record of a task point: C DDMMmmmN DDDMMmmmE name.
constexpr std::size_t kPointLatitudeColumn = 1;
constexpr std::size_t kPointLongitudeColumn = 9;
constexpr std::size_t kPointNameColumn = 18;
// Written by recorders for a task point they have no coordinates for.
constexpr std::string_view kZeroPoint = "C0000000N00000000E";

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset of the character at the index of a UTF-8 text; npos past its end.
std::size_t characterOffset(std::string_view text, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i) {
        if (offset >= text.size()) return std::string_view::npos;
        ++offset;
        while (offset < text.size() && isContinuationByte(text[offset])) ++offset;
    }
    return offset;
}

std::optional<int> twoDigits(std::string_view text) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() < 2 || !isDigit(text[0]) || !isDigit(text[1])) return std::nullopt;
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// The DDMMYY field of an HFDTE line; nothing when the line is too short to hold it.
std::optional<std::string_view> dateField(std::string_view line) {
    const std::size_t column =
        line.starts_with(kLongDateRecord) ? kLongDateRecord.size() : kDateRecord.size();
    if (line.size() < column + kDateWidth) return std::nullopt;
    return line.substr(column, kDateWidth);
}

std::optional<sys_seconds> dateFromDdMmYy(std::string_view field) {
    const auto day = twoDigits(field.substr(0, 2));
    const auto month = twoDigits(field.substr(2, 2));
    const auto year = twoDigits(field.substr(4, 2));
    if (!day || !month || !year) return std::nullopt;
    return utcTime(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(*year), *month, *day);
}

std::optional<sys_seconds> flightDateOfLine(std::string_view line) {
    if (!line.starts_with(kDateRecord)) return std::nullopt;
    const auto field = dateField(line);
    return field ? dateFromDdMmYy(*field) : std::nullopt;
}

// Point lines carry hemisphere letters at fixed columns; the declaration line and the
// lines that name the task do not.
bool hasPointLayout(std::string_view line) {
    if (line.size() < kPointNameColumn || !isAscii(line.substr(0, kPointNameColumn))) {
        return false;
    }
    const char latitudeHemisphere = line[kPointLongitudeColumn - 1];
    const char longitudeHemisphere = line[kPointNameColumn - 1];
    return (latitudeHemisphere == 'N' || latitudeHemisphere == 'S') &&
           (longitudeHemisphere == 'E' || longitudeHemisphere == 'W');
}

// The line that starts at pos, without its line end (CR LF, LF or CR); pos moves past it.
std::string_view nextLine(std::string_view text, std::size_t& pos) {
    const char* start = text.data() + pos;
    const std::size_t rest = text.size() - pos;
    const auto* lineFeed = static_cast<const char*>(std::memchr(start, '\n', rest));
    const std::size_t untilLineFeed = lineFeed ? static_cast<std::size_t>(lineFeed - start) : rest;
    const auto* carriageReturn = static_cast<const char*>(std::memchr(start, '\r', untilLineFeed));
    std::size_t length = untilLineFeed;
    std::size_t lineEnd = lineFeed ? 1 : 0;
    if (carriageReturn) {
        length = static_cast<std::size_t>(carriageReturn - start);
        lineEnd = length + 1 == untilLineFeed && lineFeed ? 2 : 1;
    }
    pos += length + lineEnd;
    return {start, length};
}

// Whether the first characters of the line (all of a shorter line) are ASCII, so that its
// byte columns are its character columns.
bool isAsciiUpTo(std::string_view line, std::size_t count) {
    unsigned char any = 0;
    for (const char c : line.substr(0, count)) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

}  // namespace

KelvoTrace::KelvoTrace(Bytes igcData, std::string name) {
    setIGCData(std::move(igcData));
    setFileName(std::move(name));
}

KelvoTrace KelvoTrace::fromIGCFile(const std::filesystem::path& path) {
    KelvoTrace trace;
    trace.setIGCFile(path);
    trace.setFileName(path.filename().string());
    return trace;
}

bool KelvoTrace::isIGCData(ByteSpan data) {
    constexpr std::size_t kShortestARecord = 4;
    if (data.size() < kShortestARecord || data[0] != 'A') return false;
    return std::all_of(data.begin() + 1, data.begin() + kShortestARecord,
                       [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

void KelvoTrace::setIGCData(Bytes igcData) {
    m_igcData = std::move(igcData);
    processData();
}

bool KelvoTrace::setIGCFile(const std::filesystem::path& path) {
    // Only regular files within the input limit: a device or a pipe could block or never end.
    InputFile file = readInputFile(path);
    if (!file) return false;
    setIGCData(std::move(file.bytes));
    return true;
}

// One pass over the bytes, without copying them: fixes are ASCII at fixed columns and are
// read in place; only header and task lines, which may carry Windows-1252 names, are
// decoded. The file's first HFDTE line also dates the fixes read before it.
void KelvoTrace::processData() {
    const std::string_view text(reinterpret_cast<const char*>(m_igcData.data()), m_igcData.size());
    const std::size_t firstFix = m_points.size();
    const sys_seconds startDate = m_fixDate;
    bool dated = false;
    m_points.reserve(firstFix + text.size() / kShortestFixLine);
    m_previousTimeOfDay.reset();
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view line = nextLine(text, pos);
        if (line.empty()) continue;
        if (line[0] == 'B' && isAsciiUpTo(line, kFixLineLength)) {
            processOneBRecord(line);
            continue;
        }
        if (line[0] != 'B' && line[0] != 'C' && line[0] != 'H') continue;
        if (!dated) {
            if (const auto fileDate = flightDateOfLine(line)) {
                redateFixes(firstFix, *fileDate - startDate);
                dated = true;
            }
        }
        if (isAscii(line)) {
            processOneLine(line);
        } else {
            processOneLine(windows1252ToUtf8(line));
        }
    }
    m_points.shrink_to_fit();
}

void KelvoTrace::redateFixes(std::size_t first, seconds shift) {
    for (std::size_t i = first; i < m_points.size(); ++i) {
        m_points[i].setTimeStamp(m_points[i].timeStamp() + shift);
    }
    m_fixDate += shift;
}

void KelvoTrace::processOneLine(std::string_view line) {
    if (line.empty()) return;
    switch (line[0]) {
        case 'B':
            processOneBRecord(line);
            break;
        case 'C':
            processOneCRecord(line);
            break;
        case 'H':
            processOneHeaderRecord(line);
            break;
        case 'I':
            processOneIRecord(line);
            break;
        default:
            break;
    }
}

void KelvoTrace::processOneHeaderRecord(std::string_view line) {
    if (line.starts_with(kDateRecord)) {
        const auto field = dateField(line);
        if (!field) return;
        if (const auto date = dateFromDdMmYy(*field)) setDateOfFlight(date);
    }
    const std::size_t keyStart = characterOffset(line, kHeaderKeyColumn);
    const std::size_t valueStart = characterOffset(line, kHeaderValueColumn);
    if (valueStart == std::string_view::npos) return;
    m_header.insert_or_assign(std::string(line.substr(keyStart, valueStart - keyStart)),
                              std::string(line.substr(valueStart)));
}

// Only the fixed columns of a B record are read, so the extension list is not needed.
void KelvoTrace::processOneIRecord(std::string_view) {}

void KelvoTrace::processOneCRecord(std::string_view line) {
    if (!hasPointLayout(line)) return;
    const bool placeholder = line.starts_with(kZeroPoint);
    if (line == kZeroPoint) {
        m_declaredPoints.push_back(nullptr);
        return;
    }
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setName(std::string(line.substr(kPointNameColumn)));
    // The layout check guarantees the full widths, so both coordinates parse.
    waypoint->setLatitude(*TracePosition::parseCoordinate(
        line.substr(kPointLatitudeColumn, kPointLongitudeColumn - kPointLatitudeColumn)));
    waypoint->setLongitude(*TracePosition::parseCoordinate(
        line.substr(kPointLongitudeColumn, kPointNameColumn - kPointLongitudeColumn)));
    m_declaredPoints.push_back(placeholder ? nullptr : waypoint);
    m_waypoints.push_back(std::move(waypoint));
}

std::vector<std::shared_ptr<Waypoint>> KelvoTrace::taskCourse() const {
    std::vector<std::shared_ptr<Waypoint>> course;
    for (std::size_t i = 1; i + 1 < m_declaredPoints.size(); ++i) {
        if (m_declaredPoints[i]) course.push_back(m_declaredPoints[i]);
    }
    return course;
}

void KelvoTrace::processOneBRecord(std::string_view line) {
    auto fix = TracePosition::fromIgcBRecord(line, m_fixDate);
    if (!fix) {
        ++m_skippedFixes;
        return;
    }
    const seconds timeOfDay = fix->timeStamp() - m_fixDate;
    // Only a step back of more than half a day is midnight passing; a recorder that repeats
    // or reorders a second stays on its day.
    if (m_previousTimeOfDay && *m_previousTimeOfDay - timeOfDay > hours{12}) {
        m_fixDate += days{1};
        fix->setTimeStamp(fix->timeStamp() + days{1});
    }
    m_previousTimeOfDay = timeOfDay;
    addFix(*fix);
}

int KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(int twoDigitYear) {
    return prependLikelyCenturyBeforeTwoDigitYear(
        twoDigitYear, utcFields(floor<seconds>(system_clock::now())).year);
}

int KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(int twoDigitYear, int currentYear) {
    int year = currentYear - currentYear % 100 + twoDigitYear;
    if (year > currentYear + 2) {
        year -= 100;
    } else if (year < currentYear - 97) {
        year += 100;
    }
    return year;
}

void KelvoTrace::setDateOfFlight(std::optional<sys_seconds> date) {
    m_dateOfFlight = date;
    if (date) m_fixDate = floor<days>(*date);
}

void KelvoTrace::addFix(TracePosition fix) {
    adaptExtremesForPosition(fix.position());
    m_points.push_back(fix);
}

void KelvoTrace::adaptExtremesForPosition(const Position& position) {
    if (m_points.empty()) {
        m_extremeNorthWest = m_extremeSouthEast = position;
        return;
    }
    m_extremeNorthWest.setLatitudeRadians(
        std::max(m_extremeNorthWest.latitudeRadians(), position.latitudeRadians()));
    m_extremeNorthWest.setLongitudeRadians(
        std::min(m_extremeNorthWest.longitudeRadians(), position.longitudeRadians()));
    m_extremeSouthEast.setLatitudeRadians(
        std::min(m_extremeSouthEast.latitudeRadians(), position.latitudeRadians()));
    m_extremeSouthEast.setLongitudeRadians(
        std::max(m_extremeSouthEast.longitudeRadians(), position.longitudeRadians()));
}

std::string KelvoTrace::headerText(const std::string& code) const {
    const auto found = m_header.find(code);
    if (found == m_header.end()) return "";
    const std::string& value = found->second;
    const std::size_t colon = value.find(':');
    return trimSpacesAndTabs(colon == std::string::npos ? value : value.substr(colon + 1));
}

}  // namespace kelvo
