#include "LoggerAccess/Volkslogger/VolksloggerConversion.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "LoggerAccess/Volkslogger/C_RECORD.h"
#include "LoggerAccess/Volkslogger/IGCHEADER.h"
#include "LoggerAccess/Volkslogger/VolksloggerStream.h"
#include "LoggerAccess/Volkslogger/VolksloggerText.h"
#include "base/Format.h"
#include "base/UtcDate.h"

namespace kelvo::vl {
namespace {

using std::chrono::seconds;
using std::chrono::sys_seconds;

constexpr int kNoTimeZone = 4000;
constexpr std::size_t kPilotPieceLimit = 39;
constexpr std::size_t kPilotLimit = 79;
constexpr std::size_t kTextLimit = 49;
constexpr std::size_t kWaypointRecordSize = 13;

std::string text(ByteSpan data, std::size_t limit) {
    return getText(data, 0, limit);
}

// What the first pass learns about the flight before anything is written.
struct FlightSummary {
    IGCHEADER header;
    C_RECORD task;
    sys_seconds reference{};  // calendar time of running time 0
    long time = 0;            // running time [s]
    long longitude = 0;
    long zoneLongitude = 0;  // longitude of the first valid fix, else of the last fix
    bool haveValidFix = false;
    int timeZone = kNoTimeZone;  // [minutes]
    long declarationTime = -1;   // running time of the declaration
    std::size_t covered = 0;
};

class FlightConverter {
  public:
    FlightConverter(int igcVersion, std::ostream& out, ByteSpan data, int fillMissing)
        : m_version(igcVersion), m_out(out), m_data(data), m_fill(fillMissing) {}

    // False when the stream's format version is unknown.
    bool collect(std::uint16_t* serialNumber, long* endOffset);
    void writeHeaderAndTask();
    void writeFixesAndEvents();
    std::size_t covered() const { return m_summary.covered; }

  private:
    void collectField(const DataRecord& record, std::uint16_t* serialNumber);
    C2* taskPoint(std::uint8_t id);
    void writeFix(const PositionRecord& fix, sys_seconds time);

    int m_version;
    std::ostream& m_out;
    ByteSpan m_data;
    int m_fill;
    FlightSummary m_summary;
    long m_latitude = 0;
    long m_longitude = 0;
};

C2* FlightConverter::taskPoint(std::uint8_t id) {
    C_RECORD& task = m_summary.task;
    switch (id) {
        case kTakeoffPoint:
            return &task.takeoff;
        case kStartPoint:
            return &task.start;
        case kFinishPoint:
            return &task.finish;
        case kLandingPoint:
            return &task.landing;
        default:
            if (id >= kFirstTurnpoint && id <= kLastTurnpoint) {
                return &task.turnpoints[id - kFirstTurnpoint];
            }
            return nullptr;
    }
}

void FlightConverter::collectField(const DataRecord& record, std::uint16_t* serialNumber) {
    FlightSummary& s = m_summary;
    IGCHEADER& h = s.header;
    const ByteSpan data = record.data;
    switch (record.id) {
        case kGliderType:
            h.gliderType = text(data, kTextLimit);
            return;
        case kGliderId:
            h.gliderId = text(data, kTextLimit);
            return;
        case kCompetitionId:
            h.competitionId = text(data, kTextLimit);
            return;
        case kCompetitionClass:
            h.competitionClass = text(data, kTextLimit);
            return;
        case kTimeZone:
            if (!data.empty()) s.timeZone = static_cast<std::int8_t>(data[0]) * 15;
            return;
        case kTurnpointCount:
            s.task.nturnpoints = getU8(data, 0);
            s.declarationTime = s.time;
            return;
        case kFlightDate:
            s.task.flightDay = getU8(data, 0);
            s.task.flightMonth = getU8(data, 1);
            s.task.flightYear = getU8(data, 2);
            return;
        case kTaskId:
            s.task.taskid = getU16BE(data, 0);
            if (m_version > 421) s.declarationTime = s.time;
            return;
        case kRecorderInfo: {
            const std::uint16_t serial = getU16BE(data, 0);
            if (serialNumber != nullptr) *serialNumber = serial;
            h.recorderId = wordtoserno(serial);
            h.gpsDatum = stringf("%03u", unsigned{getU8(data, 2)});
            h.hardwareVersion = stringf("%0X.%0X", getU8(data, 3) >> 4, getU8(data, 3) & 15);
            h.firmwareVersion = stringf("%0X.%0X", getU8(data, 4) >> 4, getU8(data, 4) & 15);
            h.fixAccuracy = stringf("%03u", unsigned{getU8(data, 6)});
            if (m_version > 420) h.recorderType = "GARRECHT INGENIEURGESELLSCHAFT,VOLKSLOGGER 1.0";
            return;
        }
        default:
            break;
    }
    if (record.id >= kPilot1 && record.id <= kPilot4) {
        h.pilot += text(data, kPilotPieceLimit);
        if (m_version <= 412) h.pilot += ' ';
        if (h.pilot.size() > kPilotLimit) h.pilot.resize(kPilotLimit);
    } else if (C2* point = taskPoint(record.id); point && data.size() >= kWaypointRecordSize) {
        point->packed2unpacked(data);
    }
}

bool FlightConverter::collect(std::uint16_t* serialNumber, long* endOffset) {
    FlightSummary& s = m_summary;
    StreamReader reader(m_data, kFlightEndRecordSize);
    while (const auto record = reader.next()) {
        switch (record->recordClass) {
            case kStartRecord:
                if (reader.formatVersion() > kHighestFormatVersion) return false;
                s.time = 0;
                break;
            case kDateRecord: {
                const DateRecord date = decodeDateRecord(record->bytes);
                s.time += date.delta;
                s.reference = date.time(m_version > 423) - seconds(s.time);
                break;
            }
            case kFullPositionRecord:
            case kDifferentialPositionRecord: {
                const PositionRecord fix = decodePositionRecord(*record);
                s.time += fix.delta;
                s.longitude = fix.differential ? s.longitude + fix.longitude : fix.longitude;
                if (!s.haveValidFix) {
                    s.zoneLongitude = s.longitude;
                    s.haveValidFix = fix.valid;
                }
                break;
            }
            case kTimedDataRecord:
            case kDataRecord: {
                const DataRecord data = decodeDataRecord(*record);
                s.time += data.delta;
                collectField(data, serialNumber);
                break;
            }
            case kEndRecord:
                if (endOffset != nullptr) *endOffset = static_cast<long>(record->offset) + 1;
                s.covered = record->offset + record->bytes.size();
                return true;
            default:
                break;
        }
    }
    s.covered = reader.position();
    return true;
}

void FlightConverter::writeHeaderAndTask() {
    FlightSummary& s = m_summary;
    // Whole hours by 15-degree bands centred on multiples of 15 degrees.
    const int zoneOffset = static_cast<int>(
        std::floor((static_cast<float>(s.zoneLongitude) + 450000.0f) / 900000.0f) * 60.0f);
    s.task.timeZoneOffset = zoneOffset;
    if ((m_version == 420 || m_version == 421) && s.timeZone == kNoTimeZone) {
        s.timeZone = zoneOffset;
    }
    if (s.timeZone != kNoTimeZone) {
        const int minutes = std::abs(s.timeZone);
        s.header.timeZone =
            stringf("UTC%c%02d:%02d", s.timeZone < 0 ? '-' : '+', minutes / 60, minutes % 60);
    }
    const UtcFields day = utcFields(s.reference);
    s.header.date = stringf("%02d%02d%02d", day.day, day.month, day.year % 100);
    s.header.out = &m_out;
    s.header.output(m_version, m_fill);

    const KOORD& start = s.task.start.position;
    if (s.declarationTime != -1 && (m_version > 413 || start.lat != 0 || start.lon != 0)) {
        s.task.printFlag = 1;
        s.task.declarationTime = s.reference + seconds(s.declarationTime);
        s.task.print(m_version, m_out);
    }
}

void FlightConverter::writeFix(const PositionRecord& fix, sys_seconds time) {
    if (fix.differential) {
        m_latitude += fix.latitude;
        m_longitude += fix.longitude;
    } else {
        m_latitude = fix.latitude;
        m_longitude = fix.longitude;
    }
    const unsigned long latitude = static_cast<unsigned long>(std::labs(m_latitude));
    const unsigned long longitude = static_cast<unsigned long>(std::labs(m_longitude));
    long gpsAltitude = 10L * fix.altitude - 1000;
    if (m_version >= 413 && m_version <= 419 && !fix.valid) gpsAltitude = 0;
    int engineNoise = 4 * fix.engineNoise;
    if (m_version > 422) engineNoise = enlflt(engineNoise);
    engineNoise = enllim(engineNoise);

    const int clock = secondsOfDay(time);
    std::string line = stringf(
        "B%02d%02d%02d%02u%05u%c%03u%05u%c%c%05ld%05ld%03u", clock / 3600, clock / 60 % 60,
        clock % 60, static_cast<unsigned>(latitude / 60000),
        static_cast<unsigned>(latitude % 60000), m_latitude < 0 ? 'S' : 'N',
        static_cast<unsigned>(longitude / 60000), static_cast<unsigned>(longitude % 60000),
        m_longitude < 0 ? 'W' : 'E', fix.valid ? 'A' : 'V',
        static_cast<long>(pressure2altitude(fix.pressure)), gpsAltitude, hdop2fxa(fix.accuracy));
    if (m_version >= 413 && m_version <= 415) line += "999";
    if (m_summary.header.recordsEngineNoise()) {
        line += stringf("%03u", static_cast<unsigned>(engineNoise));
    }
    m_out << line << "\r\n";
}

void FlightConverter::writeFixesAndEvents() {
    sys_seconds time = m_summary.reference;
    StreamReader reader(m_data, kFlightEndRecordSize);
    while (const auto record = reader.next()) {
        switch (record->recordClass) {
            case kDateRecord:
                time += seconds(decodeDateRecord(record->bytes).delta);
                break;
            case kFullPositionRecord:
            case kDifferentialPositionRecord: {
                const PositionRecord fix = decodePositionRecord(*record);
                time += seconds(fix.delta);
                writeFix(fix, time);
                break;
            }
            case kTimedDataRecord:
            case kDataRecord: {
                const DataRecord data = decodeDataRecord(*record);
                time += seconds(data.delta);
                const int clock = secondsOfDay(time);
                const std::string hhmmss =
                    stringf("%02d%02d%02d", clock / 3600, clock / 60 % 60, clock % 60);
                if (data.id == kPilotEvent) {
                    m_out << stringf("E%sPEVEVENTBUTTON PRESSED", hhmmss.c_str()) << "\r\n";
                } else if (data.id == kTakeoffDetected) {
                    m_out << stringf("LGCSTKF%sTAKEOFF DETECTED", hhmmss.c_str()) << "\r\n";
                }
                break;
            }
            case kEndRecord:
                return;
            default:  // start and filler records
                break;
        }
    }
}

}  // namespace

long convert_gcs(int igcVersion, std::ostream& out, ByteSpan data, int fillMissing,
                 std::uint16_t* serialNumber, long* endOffset) {
    if (igcVersion == 0) igcVersion = kDefaultIgcVersion;
    FlightConverter converter(igcVersion, out, data, fillMissing);
    if (!converter.collect(serialNumber, endOffset)) return 0;
    converter.writeHeaderAndTask();
    converter.writeFixesAndEvents();
    return static_cast<long>(converter.covered());
}

int pressure2altitude(std::uint16_t raw) {
    if (raw == 0) return 0;
    constexpr double kTropopausePressure = 226.32063973467166;  // [hPa]
    const double pressure = raw * 1100.0 / 4096.0;
    double altitude;
    if (pressure > kTropopausePressure) {
        altitude =
            (std::exp(std::log(1013.25 / pressure) * -0.19026323650848354) - 1) * 288.15 / -0.0065;
    } else {
        altitude = std::log(kTropopausePressure / pressure) * 216.65 / 0.03416319473631037 + 11000;
    }
    return static_cast<int>(altitude);
}

unsigned hdop2fxa(std::uint8_t accuracy) {
    return static_cast<unsigned>(accuracy * 100.01 / 3.0);
}

int enlflt(int engineNoise) {
    if (engineNoise < 500) return engineNoise / 2;
    if (engineNoise < 750) return 2 * engineNoise - 750;
    return static_cast<int>((engineNoise - 750) * 1.5 + 750);
}

int enllim(int engineNoise) {
    return engineNoise >= 1000 ? 999 : engineNoise;
}

}  // namespace kelvo::vl
