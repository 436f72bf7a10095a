#include "igc/IGCCheck.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "base/Format.h"
#include "igc/IGCRecordLayout.h"

namespace kelvo {

namespace {

constexpr std::size_t kMaxLineLength = 76;
constexpr std::size_t kFixLength = IGCRecordLayout::kFixLength;
constexpr std::size_t kKRecordLength = IGCRecordLayout::kKRecordLength;
constexpr long kSecondsPerDay = 24 * 3600;
// A fix more than this much earlier than the one before has crossed midnight.
constexpr long kMidnightJump = 12 * 3600;

// The part of a text from pos, n characters long; empty when the text is shorter.
std::string_view field(std::string_view text, std::size_t pos, std::size_t n) {
    return pos + n <= text.size() ? text.substr(pos, n) : std::string_view{};
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// The value of a short field of digits (at most five here).
std::optional<int> number(std::string_view digits) {
    if (!allDigits(digits)) return std::nullopt;
    int value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}

// Seconds since midnight of an HHMMSS field.
std::optional<long> timeOfDay(std::string_view text) {
    const auto hours = number(field(text, 0, 2));
    const auto minutes = number(field(text, 2, 2));
    const auto seconds = number(field(text, 4, 2));
    if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
        return std::nullopt;
    }
    return *hours * 3600L + *minutes * 60L + *seconds;
}

std::string clockText(long seconds) {
    seconds %= kSecondsPerDay;
    return stringf("%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

bool validDate(std::string_view ddmmyy) {
    const auto day = number(field(ddmmyy, 0, 2));
    const auto month = number(field(ddmmyy, 2, 2));
    return day && month && number(field(ddmmyy, 4, 2)) && *day >= 1 && *day <= 31 && *month >= 1 &&
           *month <= 12;
}

// DDMMmmmN or DDDMMmmmE; 60.000 minutes occur in real files and are accepted.
bool validAngle(std::string_view text, std::size_t degreeDigits, int maxDegrees,
                std::string_view hemispheres) {
    if (text.size() != degreeDigits + 6) return false;
    const auto degrees = number(text.substr(0, degreeDigits));
    const auto thousandthMinutes = number(text.substr(degreeDigits, 5));
    return degrees && thousandthMinutes && *degrees <= maxDegrees && *thousandthMinutes <= 60000 &&
           hemispheres.find(text.back()) != std::string_view::npos;
}

bool validLatitude(std::string_view field) {
    return validAngle(field, 2, 90, "NS");
}

bool validLongitude(std::string_view field) {
    return validAngle(field, 3, 180, "EW");
}

// PPPPP or GGGGG: five digits, or a minus sign and four.
bool validAltitude(std::string_view text) {
    if (text.size() != 5) return false;
    return (text[0] == '-' || isDigit(text[0])) && number(text.substr(1)).has_value();
}

class Checker {
  public:
    void line(std::string_view text) {
        ++m_lineNumber;
        if (text.empty()) return;
        if (text.size() > kMaxLineLength && !hasContentLength(text[0])) {
            report(stringf("line is %zu characters long, at most 76 are allowed", text.size()));
        }
        if (!m_seenRecord && text[0] != 'A') report("the file does not begin with an A record");
        m_seenRecord = true;
        if (m_seenG && text[0] != 'G') {
            report("only G records may follow the first G record");
            return;
        }
        if (m_pointsToCome > 0 && text[0] != 'C') endIncompleteDeclaration();
        record(text);
    }

    // Said once: a file that ends one line so ends them all.
    void loneCarriageReturn() {
        if (m_seenLoneCarriageReturn) return;
        m_seenLoneCarriageReturn = true;
        report("line ends in CR alone; IGC lines end in CR LF");
    }

    std::vector<IGCProblem> finish() {
        if (m_pointsToCome > 0) endIncompleteDeclaration();
        if (!m_seenRecord) reportAt(0, "the file is empty");
        return std::move(m_problems);
    }

  private:
    // I and J records grow with the extensions they announce (current recorders write I
    // records of 94 characters) and L records hold free text: their length is their
    // content's, not the 76 characters of the other records.
    static bool hasContentLength(char record) {
        return record == 'I' || record == 'J' || record == 'L';
    }

    void record(std::string_view text) {
        switch (text[0]) {
            case 'A':
                if (m_seenA) report("a second A record");
                m_seenA = true;
                break;
            case 'H':
                header(text);
                break;
            case 'I':
                m_seenI = true;
                layout(text, m_seenFix, "I", "B", kFixLength, m_fixLength);
                break;
            case 'J':
                m_seenJ = true;
                layout(text, m_seenK, "J", "K", kKRecordLength, m_kLength);
                break;
            case 'B':
                fix(text);
                break;
            case 'K':
                kRecord(text);
                break;
            case 'C':
                declaration(text);
                break;
            case 'G':
                m_seenG = true;
                break;
            case 'D':
            case 'E':
            case 'F':
            case 'L':
                break;
            default:
                report(stringf("unknown record type '%c'", text[0]));
        }
    }

    void header(std::string_view text) {
        if (!text.starts_with("HFDTE")) return;
        m_seenDate = true;
        const std::string_view date =
            text.starts_with("HFDTEDATE:") ? text.substr(10) : text.substr(5);
        if (!validDate(date)) report("the HFDTE date is not a valid DDMMYY date");
    }

    void layout(std::string_view text, bool describedSeen, const char* name, const char* described,
                std::size_t fixedLength, std::optional<std::size_t>& length) {
        if (describedSeen) report(stringf("%s record after the first %s record", name, described));
        // A malformed layout leaves the records it describes without a length to hold to.
        length = IGCRecordLayout::announcedLength(text, fixedLength);
        if (!length) report(stringf("%s record is malformed", name));
    }

    void fix(std::string_view text) {
        if (!m_seenDate && !m_seenFix) report("B record before the HFDTE date");
        m_seenFix = true;
        checkLength('B', text.size(), m_fixLength,
                    m_seenI ? "the I record announces" : "without an I record it has");
        if (text.size() < kFixLength) {
            if (!m_fixLength) report("B record is too short");
            return;
        }
        const auto time = timeOfDay(text.substr(1));
        if (!time) {
            report("B record time is not a valid HHMMSS time");
        } else {
            fixTime(*time);
        }
        if (!validLatitude(text.substr(7, 8))) report("B record latitude is not valid");
        if (!validLongitude(text.substr(15, 9))) report("B record longitude is not valid");
        if (text[24] != 'A' && text[24] != 'V') report("B record validity is neither A nor V");
        if (!validAltitude(text.substr(25, 5))) report("B record pressure altitude is not valid");
        if (!validAltitude(text.substr(30, 5))) report("B record GNSS altitude is not valid");
    }

    void checkLength(char record, std::size_t length, std::optional<std::size_t> expected,
                     const char* source) {
        if (expected && length != *expected) {
            report(stringf("%c record is %zu characters long, %s %zu", record, length, source,
                           *expected));
        }
    }

    // Times only go forward; one that drops by more than half a day has crossed midnight,
    // which a flight does once at most.
    void fixTime(long time) {
        long absolute = m_dayOffset + time;
        if (m_lastFixTime && m_dayOffset == 0 && *m_lastFixTime - absolute > kMidnightJump) {
            m_dayOffset += kSecondsPerDay;
            absolute += kSecondsPerDay;
        }
        if (m_lastFixTime && absolute < *m_lastFixTime) {
            report(stringf("B record time goes back from %s to %s",
                           clockText(*m_lastFixTime).c_str(), clockText(absolute).c_str()));
            return;
        }
        m_lastFixTime = absolute;
    }

    void kRecord(std::string_view text) {
        m_seenK = true;
        checkLength('K', text.size(), m_kLength,
                    m_seenJ ? "the J record announces" : "without a J record it has");
        if (!timeOfDay(text.substr(1))) report("K record time is not a valid HHMMSS time");
    }

    // A declaration block: its first line announces TT turnpoints, and take-off, start, the
    // TT turnpoints, finish and landing follow, one C line each.
    void declaration(std::string_view text) {
        if (m_pointsToCome > 0) {
            --m_pointsToCome;
            if (!validLatitude(field(text, 1, 8)) || !validLongitude(field(text, 9, 9))) {
                report("C record point has no valid coordinates");
            }
            return;
        }
        if (m_seenDeclaration) {
            report("C record outside the declaration block");
            return;
        }
        m_seenDeclaration = true;
        const auto turnpoints = number(field(text, 23, 2));
        if (!allDigits(field(text, 1, 22)) || !turnpoints) {
            report("C record does not begin a declaration (C DDMMYY HHMMSS DDMMYY NNNN TT)");
            return;
        }
        m_declarationLine = m_lineNumber;
        m_announcedPoints = static_cast<std::size_t>(*turnpoints) + 4;
        m_pointsToCome = m_announcedPoints;
    }

    void endIncompleteDeclaration() {
        reportAt(m_declarationLine, stringf("the declaration announces %zu C points, %zu follow",
                                            m_announcedPoints, m_announcedPoints - m_pointsToCome));
        m_pointsToCome = 0;
    }

    void report(std::string reason) { reportAt(m_lineNumber, std::move(reason)); }
    // Past the listed number one more entry is kept, to say that there are more.
    void reportAt(std::size_t line, std::string reason) {
        if (m_problems.size() <= IGCCheck::kMaxProblems) {
            m_problems.push_back({line, std::move(reason)});
        }
    }

    std::vector<IGCProblem> m_problems;
    std::size_t m_lineNumber = 0;
    bool m_seenRecord = false;
    bool m_seenA = false;
    bool m_seenDate = false;
    bool m_seenFix = false;
    bool m_seenK = false;
    bool m_seenI = false;
    bool m_seenJ = false;
    bool m_seenG = false;
    bool m_seenDeclaration = false;
    bool m_seenLoneCarriageReturn = false;
    std::optional<std::size_t> m_fixLength = kFixLength;  // none after a malformed I record
    std::optional<std::size_t> m_kLength = kKRecordLength;
    std::optional<long> m_lastFixTime;  // [s] from the first fix's midnight
    long m_dayOffset = 0;
    std::size_t m_declarationLine = 0;
    std::size_t m_announcedPoints = 0;
    std::size_t m_pointsToCome = 0;
};

}  // namespace

std::string IGCProblem::text() const {
    return line == 0 ? reason : stringf("line %zu: %s", line, reason.c_str());
}

std::vector<IGCProblem> IGCCheck::checkText(std::string_view text) {
    Checker checker;
    while (!text.empty()) {
        // A line ends in CR LF or LF; a CR alone ends one too, as a reader would take it.
        const std::size_t end = text.find_first_of("\r\n");
        checker.line(text.substr(0, end));
        if (end == std::string_view::npos) break;
        const bool crLf = text.substr(end, 2) == "\r\n";
        if (!crLf && text[end] == '\r') checker.loneCarriageReturn();
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
    std::vector<IGCProblem> problems = checker.finish();
    if (problems.size() > kMaxProblems) {
        problems.resize(kMaxProblems);
        problems.back().reason = "further problems are not listed";
    }
    return problems;
}

std::vector<IGCProblem> IGCCheck::checkFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return {{0, "not a readable file"}};
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) return {{0, "the file is larger than an IGC file can be"}};
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) return {{0, "not a readable file"}};
    return checkText(text);
}

}  // namespace kelvo
