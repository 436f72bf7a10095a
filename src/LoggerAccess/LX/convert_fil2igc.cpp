#include "LoggerAccess/LX/convert_fil2igc.h"

#include <array>
#include <bit>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "base/Bytes.h"

namespace kelvo {
namespace {

constexpr std::size_t kLengthTableSize = 256;
constexpr long kUnitsPerDegree = 60000;  // thousandths of a minute

struct Extension {
    const char* code;
    int width;
};

// Extension fields of the I and J records by bit of the mask, bit 0 first.
constexpr Extension kExtensions[16] = {
    {"FXA", 3}, {"VXA", 3}, {"RPM", 5}, {"GSP", 5}, {"IAS", 5}, {"TAS", 5}, {"HDM", 3}, {"HDT", 3},
    {"TRM", 3}, {"TRT", 3}, {"TEN", 5}, {"WDI", 3}, {"WVE", 5}, {"ENL", 3}, {"VAR", 3}, {"XX3", 3},
};

// GPS datum names by datum code, each 15 characters wide.
constexpr const char* kGpsDatum[] = {
    "ADINDAN        ", "AFGOOYE        ", "AIN EL ABD 1970", "COCOS ISLAND   ", "ARC 1950       ",
    "ARC 1960       ", "ASCENSION 1958 ", "ASTRO BEACON E ", "AUSTRALIAN 1966", "AUSTRALIAN 1984",
    "ASTRO DOS 7/14 ", "MARCUS ISLAND  ", "TERN ISLAND    ", "BELLEVUE (IGN) ", "BERMUDA 1957   ",
    "COLOMBIA       ", "CAMPO INCHAUSPE", "CANTON ASTRO   ", "CAPE CANAVERAL ", "CAPE (AFRICA)  ",
    "CARTHAGE       ", "CHATHAM 1971   ", "CHUA ASTRO     ", "CORREGO ALEGRE ", "DJAKARTA       ",
    "DOS 1968       ", "EASTER ISLAND  ", "EUROPEAN 1950  ", "EUROPEAN 1979  ", "FINLAND 1910   ",
    "GANDAJIKA BASE ", "NEW ZEALAND '49", "OSGB 1936      ", "GUAM 1963      ", "GUX 1 ASTRO    ",
    "HJOESEY 1955   ", "HONG KONG 1962 ", "INDIAN/NEPAL   ", "INDIAN/VIETNAM ", "IRELAND 1965   ",
    "DIEGO GARCIA   ", "JOHNSTON 1961  ", "KANDAWALA      ", "KERGUELEN ISL. ", "KERTAU 1948    ",
    "CAYMAN BRAC    ", "LIBERIA 1964   ", "LUZON/MINDANAO ", "LUZON PHILIPPI.", "MAHE 1971      ",
    "MARCO ASTRO    ", "MASSAWA        ", "MERCHICH       ", "MIDWAY ASTRO'61", "MINNA (NIGERIA)",
    "NAD-1927 ALASKA", "NAD-1927 BAHAM.", "NAD-1927 CENTR.", "NAD-1927 CANAL ", "NAD-1927 CANADA",
    "NAD-1927 CARIB.", "NAD-1927 CONUS ", "NAD-1927 CUBA  ", "NAD-1927 GREEN.", "NAD-1927 MEXICO",
    "NAD-1927 SALVA.", "NAD-1983       ", "NAPARIMA       ", "MASIRAH ISLAND ", "SAUDI ARABIA   ",
    "ARAB EMIRATES  ", "OBSERVATORIO'66", "OLD EGYIPTIAN  ", "OLD HAWAIIAN   ", "OMAN           ",
    "CANARY ISLAND  ", "PICAIRN 1967   ", "PUERTO RICO    ", "QATAR NATIONAL ", "QORNOQ         ",
    "REUNION        ", "ROME 1940      ", "RT-90 SWEDEN   ", "S.AMERICA  1956", "S.AMERICA  1956",
    "SOUTH ASIA     ", "CHILEAN 1963   ", "SANTO(DOS)     ", "SAO BRAZ       ", "SAPPER HILL    ",
    "SCHWARZECK     ", "SOUTHEAST BASE ", "FAIAL          ", "TIMBALI 1948   ", "TOKYO          ",
    "TRISTAN ASTRO  ", "RESERVED       ", "VITI LEVU 1916 ", "WAKE-ENIWETOK  ", "WGS-1972       ",
    "WGS-1984       ", "ZANDERIJ       ", "CH-1903        ",
};
static_assert(std::size(kGpsDatum) == 103);

// Competition class names by class code; code 7 is named by a class-name record.
constexpr const char* kCompetitionClass[] = {"STANDARD", "15-METER", "OPEN",     "18-METER",
                                             "WORLD",    "DOUBLE",   "MOTOR_GL", ""};
constexpr std::uint8_t kNamedClass = 7;

enum Tag : std::uint8_t {
    kFiller = 0x00,
    kLastText = 0x3F,
    kEnd = 0x40,
    kVersions = 0x7F,
    kFlightNumber = 0x80,
    kOrigin = 0xA0,
    kValidFix = 0xBF,
    kInvalidFix = 0xC3,
    kSecurity = 0xF0,
    kClassName = 0xF1,
    kEvent = 0xF4,
    kSecurityText = 0xF5,
    kRecorderId = 0xF6,
    kTask = 0xF7,
    kBExtensionValues = 0xF9,
    kKExtensionValues = 0xFA,
    kDate = 0xFB,
    kFlightInfo = 0xFD,
    kKExtensionMask = 0xFE,
    kBExtensionMask = 0xFF,
};

// Offsets in the flight-information record.
constexpr std::size_t kFlightInfoSize = 120;
constexpr std::size_t kInfoPilot = 4, kInfoGliderType = 23, kInfoGliderId = 35;
constexpr std::size_t kInfoCompetitionId = 43, kInfoClass = 47, kInfoDatum = 58;
constexpr std::size_t kInfoAccuracy = 59, kInfoGps = 60;

constexpr std::size_t kMaxSecurityData = 64;

class Converter {
  public:
    Converter(std::istream& input, std::ostream& output) : m_in(*input.rdbuf()), m_out(output) {}
    ~Converter() { flush(); }

    Fil2IgcResult run(const Fil2IgcProgress& progress);

  private:
    // One record's bytes, zero beyond what the input delivered.
    struct Record {
        std::array<std::uint8_t, 256> bytes{};
        std::size_t size = 0;
        ByteSpan span() const { return ByteSpan(bytes.data(), size); }
    };

    void loadLengthTable();
    void noteOrderOfIdentification(std::uint8_t tag);
    int nextByte();
    // Reads size bytes; false when the input ended inside the record.
    bool read(Record& record, std::size_t size);
    // Handles one record; false when the input ended inside it.
    bool convert(std::uint8_t tag);
    std::uint8_t convertFiller();

    void fix(const Record& record, char validity);
    void extensionDefinition(char letter, int firstColumn, std::uint16_t mask,
                             std::vector<int>& widths);
    void extensionValues(ByteSpan values, const std::vector<int>& widths);
    void kRecord(const Record& record);
    void task(const Record& record);
    void security(const Record& record);
    void flightInfoLines(const char* className);
    void unknown(std::uint8_t tag, const Record& record);

    void time(long seconds);
    void coordinate(long value, int degreeDigits, char positive, char negative);
    void number(long value, int width);
    void emit(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void emitText(std::string_view text);
    void closeOpenLine();
    void flush();

    std::streambuf& m_in;
    std::ostream& m_out;
    std::string m_buffer;
    std::size_t m_position = 0;
    std::array<std::uint8_t, kLengthTableSize> m_lengthTable{};

    long m_originTime = 0, m_originLatitude = 0, m_originLongitude = 0;
    long m_lastFixTime = 0;
    int m_flightNumber = 0;
    int m_day = 0, m_month = 0, m_year = 0;
    std::array<std::uint8_t, kFlightInfoSize> m_flightInfo{};
    std::vector<int> m_bWidths, m_kWidths;
    bool m_eventPending = false;
    std::string m_eventText;
    // A B line waits for its extension values; any other record closes it first.
    bool m_lineOpen = false;
    // A flight names its recorder (the A record) before its first fix; bytes that reach a
    // fix first, or never name one, are no flight.
    bool m_namedRecorder = false;
    bool m_fixBeforeRecorder = false;
};

Fil2IgcResult Converter::run(const Fil2IgcProgress& progress) {
    loadLengthTable();
    Fil2IgcResult result;
    int next = nextByte();
    while (next >= 0 && next != kEnd) {
        if (progress) progress(m_position - 1);
        std::uint8_t tag = static_cast<std::uint8_t>(next);
        if (tag == kFiller) {
            tag = convertFiller();
            if (tag == kFiller) next = -1;
            if (tag == kFiller || tag == kEnd) break;
            if (progress) progress(m_position - 1);
        }
        if (tag != kBExtensionValues) closeOpenLine();
        noteOrderOfIdentification(tag);
        if (!convert(tag)) {
            result.incomplete = "the data ends inside a record at byte " +
                                std::to_string(m_position);
            break;
        }
        next = nextByte();
    }
    closeOpenLine();
    // What follows the end record (the record table of a secure download, the rest of the
    // recorder's memory block) is no part of the flight.
    if (result.complete() && next < 0) {
        result.incomplete = "the data ends before the flight's end record";
    } else if (result.complete() && (!m_namedRecorder || m_fixBeforeRecorder)) {
        result.incomplete = "no recorder identification before its fixes: no LX flight";
    }
    return result;
}

void Converter::noteOrderOfIdentification(std::uint8_t tag) {
    if (tag == kRecorderId) m_namedRecorder = true;
    if ((tag == kValidFix || tag == kInvalidFix) && !m_namedRecorder) m_fixBeforeRecorder = true;
}

// The last 256 bytes of the input, when it has that many; otherwise every length is 0.
void Converter::loadLengthTable() {
    const auto start = m_in.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    const auto end = m_in.pubseekoff(0, std::ios_base::end, std::ios_base::in);
    if (start == std::streampos(-1) || end == std::streampos(-1)) return;
    if (end - start >= static_cast<std::streamoff>(kLengthTableSize)) {
        m_in.pubseekoff(-static_cast<std::streamoff>(kLengthTableSize), std::ios_base::end,
                        std::ios_base::in);
        m_in.sgetn(reinterpret_cast<char*>(m_lengthTable.data()), kLengthTableSize);
    }
    m_in.pubseekpos(start, std::ios_base::in);
}

int Converter::nextByte() {
    const auto c = m_in.sbumpc();
    if (c == std::char_traits<char>::eof()) return -1;
    ++m_position;
    return static_cast<std::uint8_t>(c);
}

bool Converter::read(Record& record, std::size_t size) {
    record.bytes.fill(0);
    record.size = size;
    const auto got = m_in.sgetn(reinterpret_cast<char*>(record.bytes.data()),
                                static_cast<std::streamsize>(size));
    m_position += static_cast<std::size_t>(got);
    return static_cast<std::size_t>(got) == size;
}

// Counts the zero bytes after the filler tag; answers the byte that ends the run (0 at the
// end of the input).
std::uint8_t Converter::convertFiller() {
    long zeros = 0;
    int next = nextByte();
    while (next == 0) {
        ++zeros;
        next = nextByte();
    }
    closeOpenLine();
    emit("LLXNEMPTY%ld\r\n", zeros);
    return next < 0 ? std::uint8_t{kFiller} : static_cast<std::uint8_t>(next);
}

bool Converter::convert(std::uint8_t tag) {
    Record record;
    if (tag <= kLastText) {
        const bool complete = read(record, tag);
        emitText(getText(record.span(), 0, record.size));
        emit("\r\n");
        return complete;
    }
    std::size_t size = 0;
    switch (tag) {
        case kVersions:
            size = 2;
            break;
        case kFlightNumber:
            size = 9;
            break;
        case kOrigin:
            size = 12;
            break;
        case kValidFix:
        case kInvalidFix:
            size = 10;
            break;
        case kSecurity:
            size = 66;
            break;
        case kClassName:
        case kEvent:
        case kRecorderId:
            size = 9;
            break;
        case kSecurityText:
            size = 22;
            break;
        case kTask:
            size = 229;
            break;
        case kBExtensionValues:
            size = 2 * m_bWidths.size();
            break;
        case kKExtensionValues:
            size = 1 + 2 * m_kWidths.size();
            break;
        case kDate:
            size = 4;
            break;
        case kFlightInfo:
            size = kFlightInfoSize;
            break;
        case kKExtensionMask:
        case kBExtensionMask:
            size = 4;
            break;
        default:
            size = m_lengthTable[tag];
            break;
    }
    const bool complete = read(record, size);
    const ByteSpan bytes = record.span();
    switch (tag) {
        case kVersions:
            emit("HFRFWFIRMWAREVERSION:%1.1f\r\n", bytes[1] / 10.0);
            emit("HFRHWHARDWAREVERSION:%1.1f\r\n", bytes[0] / 10.0);
            break;
        case kFlightNumber:
            m_flightNumber = bytes[8];
            break;
        case kOrigin:
            m_originTime = getU32BE(bytes, 0);
            m_originLatitude = static_cast<std::int32_t>(getU32BE(bytes, 4));
            m_originLongitude = static_cast<std::int32_t>(getU32BE(bytes, 8));
            emit("LLXNORIGIN");
            time(m_originTime);
            coordinate(m_originLatitude, 2, 'N', 'S');
            coordinate(m_originLongitude, 3, 'E', 'W');
            emit("\r\n");
            break;
        case kValidFix:
            fix(record, 'A');
            break;
        case kInvalidFix:
            fix(record, 'V');
            break;
        case kSecurity:
            security(record);
            break;
        case kClassName:
            if (m_flightInfo[kInfoClass] == kNamedClass) {
                flightInfoLines(getText(bytes, 0, 9).c_str());
            }
            break;
        case kEvent:
            m_eventPending = true;
            m_eventText = getText(bytes, 0, 9);
            break;
        case kSecurityText:
            emit("G");
            emitText(getText(bytes, 0, 22));
            emit("\r\n");
            break;
        case kRecorderId:
            emit("A");
            emitText(getText(bytes, 0, 9));
            emit("FLIGHT:%d\r\n", m_flightNumber);
            emit("HFDTE%02d%02d%02d\r\n", m_day, m_month, m_year % 100);
            break;
        case kTask:
            task(record);
            break;
        case kBExtensionValues:
            if (m_lineOpen) extensionValues(bytes, m_bWidths);
            m_lineOpen = false;
            break;
        case kKExtensionValues:
            kRecord(record);
            break;
        case kDate:
            m_day = bytes[0];
            m_month = bytes[1];
            m_year = getU16BE(bytes, 2);
            break;
        case kFlightInfo:
            std::copy(bytes.begin(), bytes.end(), m_flightInfo.begin());
            if (m_flightInfo[kInfoClass] != kNamedClass) {
                flightInfoLines(kCompetitionClass[std::min<std::size_t>(m_flightInfo[kInfoClass],
                                                                        kNamedClass)]);
            }
            break;
        case kKExtensionMask:
            extensionDefinition('J', 8, getU16BE(bytes, 2), m_kWidths);
            break;
        case kBExtensionMask:
            extensionDefinition('I', 36, getU16BE(bytes, 2), m_bWidths);
            break;
        default:
            unknown(tag, record);
            break;
    }
    return complete;
}

void Converter::fix(const Record& record, char validity) {
    const ByteSpan bytes = record.span();
    const long fixTime = m_originTime + getU16BE(bytes, 0);
    const long latitude = m_originLatitude + static_cast<std::int16_t>(getU16BE(bytes, 2));
    const long longitude = m_originLongitude + static_cast<std::int16_t>(getU16BE(bytes, 4));
    m_lastFixTime = fixTime;
    if (m_eventPending) {
        emit("E");
        time(fixTime);
        emitText(m_eventText);
        emit("\r\n");
        m_eventPending = false;
    }
    m_buffer += 'B';
    time(fixTime);
    coordinate(latitude, 2, 'N', 'S');
    coordinate(longitude, 3, 'E', 'W');
    m_buffer += validity;
    number(static_cast<std::int16_t>(getU16BE(bytes, 6)), 5);
    number(static_cast<std::int16_t>(getU16BE(bytes, 8)), 5);
    if (m_bWidths.empty()) {
        emit("\r\n");
    } else {
        m_lineOpen = true;
    }
}

void Converter::extensionDefinition(char letter, int firstColumn, std::uint16_t mask,
                                    std::vector<int>& widths) {
    widths.clear();
    if (mask == 0) return;
    emit("%c%02d", letter, std::popcount(mask));
    int column = firstColumn;
    for (int bit = 0; bit < 16; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        const Extension& extension = kExtensions[bit];
        emit("%02d%02d%s", column, column + extension.width - 1, extension.code);
        widths.push_back(extension.width);
        column += extension.width;
    }
    emit("\r\n");
}

void Converter::extensionValues(ByteSpan values, const std::vector<int>& widths) {
    for (std::size_t i = 0; i < widths.size(); ++i) {
        number(getU16BE(values, 2 * i), widths[i]);
    }
    emit("\r\n");
}

void Converter::kRecord(const Record& record) {
    emit("K");
    time(m_lastFixTime + record.bytes[0]);
    extensionValues(record.span().subspan(1), m_kWidths);
}

void Converter::task(const Record& record) {
    const ByteSpan bytes = record.span();
    emit("C%02d%02d%02d", bytes[4], bytes[5], bytes[6]);
    time(getU32BE(bytes, 0));
    emit("%02d%02d%02d%04d%02d\r\n", bytes[7], bytes[8], bytes[9], getU16BE(bytes, 10),
         static_cast<std::int8_t>(bytes[12]));
    for (std::size_t slot = 0; slot < 12; ++slot) {
        if (bytes[13 + slot] == 0) continue;
        emit("C");
        coordinate(static_cast<std::int32_t>(getU32BE(bytes, 73 + 4 * slot)), 2, 'N', 'S');
        coordinate(static_cast<std::int32_t>(getU32BE(bytes, 25 + 4 * slot)), 3, 'E', 'W');
        emitText(getText(bytes, 121 + 9 * slot, 9));
        emit("\r\n");
    }
}

// A count above 64 would name bytes past the record; only the record's 64 are written.
void Converter::security(const Record& record) {
    const std::uint8_t type = record.bytes[1];
    const char* prefix = type == 0x0D ? "G0" : type == 0x0E ? "G1" : type == 0x0F ? "G2" : nullptr;
    if (!prefix) return;
    emit("%s", prefix);
    const std::size_t count = std::min<std::size_t>(record.bytes[0], kMaxSecurityData);
    for (std::size_t i = 0; i < count; ++i) emit("%02X", record.bytes[2 + i]);
    emit("\r\n");
}

void Converter::flightInfoLines(const char* className) {
    const ByteSpan info(m_flightInfo);
    emit("HFFXA%03d\r\n", info[kInfoAccuracy]);
    emit("HFPLTPILOT:%s\r\n", getText(info, kInfoPilot, 19).c_str());
    emit("HFGTYGLIDERTYPE:%s\r\n", getText(info, kInfoGliderType, 12).c_str());
    emit("HFGIDGLIDERID:%s\r\n", getText(info, kInfoGliderId, 8).c_str());
    const std::uint8_t datum = info[kInfoDatum];
    // Codes without a name (103 to 255) are written as unknown instead of read past the table.
    if (datum < std::size(kGpsDatum)) {
        emit("HFDTM%03dGPSDATUM:%s\r\n", datum, kGpsDatum[datum]);
    } else {
        emit("HFDTM%03dGPSDATUM:UNKNOWN\r\n", datum);
    }
    emit("HFCIDCOMPETITIONID:%s\r\n", getText(info, kInfoCompetitionId, 4).c_str());
    emit("HFCCLCOMPETITIONCLASS:%s\r\n", className);
    emit("HFGPSGPS:%s\r\n", getText(info, kInfoGps, 60).c_str());
}

void Converter::unknown(std::uint8_t tag, const Record& record) {
    emit("LLXNUNKNOWN%02X", tag);
    for (std::size_t i = 0; i < record.size; ++i) {
        if ((i + 1) % 20 == 0) emit("\r\nLLXNUNKNOWN");
        emit("%02X", record.bytes[i]);
    }
    emit("\r\n");
}

void Converter::time(long seconds) {
    number(seconds / 3600, 2);
    number(seconds % 3600 / 60, 2);
    number(seconds % 60, 2);
}

// Whole degrees in degreeDigits digits ("%02ld" or "%03ld"), the thousandths of minutes in
// five, then the hemisphere letter: the sign decides, so a value just south of the equator
// gets its S.
void Converter::coordinate(long value, int degreeDigits, char positive, char negative) {
    const long magnitude = value < 0 ? -value : value;
    number(magnitude / kUnitsPerDegree, degreeDigits);
    number(magnitude % kUnitsPerDegree, 5);
    m_buffer += value >= 0 ? positive : negative;
}

// The value as printf's "%0*ld" writes it: at least width characters, zero-padded after
// the sign. The fix lines are the bulk of a flight, so this avoids a format call per field.
void Converter::number(long value, int width) {
    char digits[24];
    int count = 0;
    unsigned long magnitude =
        value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        m_buffer += '-';
        --width;
    }
    for (int pad = count; pad < width; ++pad) m_buffer += '0';
    while (count > 0) m_buffer += digits[--count];
}

void Converter::emit(const char* format, ...) {
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length > 0) m_buffer.append(line, std::min<std::size_t>(length, sizeof line - 1));
    if (m_buffer.size() >= 1 << 16) flush();
}

void Converter::emitText(std::string_view text) {
    m_buffer.append(text);
}

void Converter::closeOpenLine() {
    if (!m_lineOpen) return;
    m_lineOpen = false;
    emit("\r\n");
}

void Converter::flush() {
    m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_buffer.clear();
}

}  // namespace

Fil2IgcResult convert_fil2igc(std::istream& input, std::ostream& output,
                              const Fil2IgcProgress& progress) {
    Converter converter(input, output);
    return converter.run(progress);
}

}  // namespace kelvo
