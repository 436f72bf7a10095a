#include "sim/Volkslogger/VolksloggerFlight.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "LoggerAccess/Volkslogger/VolksloggerStream.h"
#include "base/UtcDate.h"

namespace kelvo::sim {
namespace {

using vl::VLAPI_DATA;
using enum vl::FlightField;

constexpr long kMaxFixDelta = 127;  // bit 7 of a fix's delta marks the end of data
constexpr long kMaxDataDelta = 255;
constexpr long kMaxLatitudeChange = 0x7FF;
constexpr long kMaxLongitudeChange = 0xFFF;
constexpr std::uint8_t kIgnoredField = 0;

Bytes waypointRecord(VLAPI_DATA::WPT point) {
    Bytes record(VLAPI_DATA::kWaypointRecordSize);
    point.put(record);
    return record;
}

void writeRecorderInfo(VolksloggerStreamWriter& w, const VolksloggerFlight& f) {
    w.data(kRecorderInfo, Bytes{static_cast<std::uint8_t>(f.serialNumber >> 8),
                                static_cast<std::uint8_t>(f.serialNumber & 0xFF), f.gpsDatum,
                                f.hardwareVersion, f.firmwareVersion, 0, f.fixAccuracy});
}

void writePilotPieces(VolksloggerStreamWriter& w, std::string_view pilot) {
    for (std::size_t piece = 0; piece < 4 && piece * 16 < pilot.size(); ++piece) {
        w.data(static_cast<std::uint8_t>(kPilot1 + piece), pilot.substr(piece * 16, 16));
    }
}

void writeDate(VolksloggerStreamWriter& w, int delta, std::chrono::sys_seconds time) {
    const UtcFields f = utcFields(time);
    w.date(delta, secondsOfDay(time), f.year, f.month, f.day);
}

void writeTask(VolksloggerStreamWriter& w, const VolksloggerTask& task) {
    const std::uint8_t count =
        static_cast<std::uint8_t>(std::min<std::size_t>(task.turnpoints.size(), 12));
    w.data(kTurnpointCount, Bytes{count});
    w.data(kFlightDate, task.flightDate);
    w.data(kTaskId, Bytes{static_cast<std::uint8_t>(task.taskId >> 8),
                          static_cast<std::uint8_t>(task.taskId & 0xFF)});
    w.data(kTakeoffPoint, waypointRecord(task.takeoff));
    w.data(kStartPoint, waypointRecord(task.start));
    for (std::uint8_t i = 0; i < count; ++i) {
        w.data(static_cast<std::uint8_t>(kFirstTurnpoint + i), waypointRecord(task.turnpoints[i]));
    }
    w.data(kFinishPoint, waypointRecord(task.finish));
    w.data(kLandingPoint, waypointRecord(task.landing));
}

// Keeps the running time of the stream and writes the records of the flight's timeline.
class FlightTimeline {
  public:
    explicit FlightTimeline(VolksloggerStreamWriter& writer) : m_w(writer) {}

    // Moves the running time to at, leaving at most maxDelta for the next record.
    int deltaTo(long at, long maxDelta) {
        while (at - m_now > maxDelta) {
            const long step = std::min(at - m_now, kMaxDataDelta);
            m_w.timedData(static_cast<int>(step), kIgnoredField);
            m_now += step;
        }
        const int delta = static_cast<int>(std::max(0L, at - m_now));
        m_now = std::max(m_now, at);
        return delta;
    }

    void event(long at, std::uint8_t id) { m_w.timedData(deltaTo(at, kMaxDataDelta), id); }

    void fix(const VolksloggerFlight::Fix& fix) {
        const int delta = deltaTo(fix.at, kMaxFixDelta);
        const long dLat = fix.latitude - m_latitude;
        const long dLon = fix.longitude - m_longitude;
        if (m_haveFix && m_w.formatVersion() != 0 && std::labs(dLat) <= kMaxLatitudeChange &&
            std::labs(dLon) <= kMaxLongitudeChange) {
            m_w.differentialFix(delta, fix, dLat, dLon);
        } else {
            m_w.fullFix(delta, fix);
        }
        m_latitude = fix.latitude;
        m_longitude = fix.longitude;
        m_haveFix = true;
    }

  private:
    VolksloggerStreamWriter& m_w;
    long m_now = 0;
    long m_latitude = 0;
    long m_longitude = 0;
    bool m_haveFix = false;
};

}  // namespace

Bytes encodeFlight(const VolksloggerFlight& flight) {
    VolksloggerStreamWriter w;
    w.start(flight.formatVersion);
    writeRecorderInfo(w, flight);
    writePilotPieces(w, flight.pilot);
    if (!flight.gliderType.empty()) w.data(kGliderType, flight.gliderType);
    if (!flight.gliderId.empty()) w.data(kGliderId, flight.gliderId);
    if (!flight.competitionId.empty()) w.data(kCompetitionId, flight.competitionId);
    if (!flight.competitionClass.empty()) w.data(kCompetitionClass, flight.competitionClass);
    if (flight.timeZoneQuarterHours) {
        w.data(kTimeZone, Bytes{static_cast<std::uint8_t>(*flight.timeZoneQuarterHours)});
    }

    // The running time starts at the date record, which names the time of the first fix
    // unless the declaration was made before it.
    const long origin = flight.task ? std::min(0L, flight.task->declaredAt) : 0;
    writeDate(w, 0, flight.firstFix + std::chrono::seconds(origin));
    FlightTimeline timeline(w);
    const long shift = -origin;
    if (flight.task) {
        timeline.deltaTo(flight.task->declaredAt + shift, 0);
        writeTask(w, *flight.task);
    }

    struct Event {
        long at;
        std::uint8_t id;
    };
    std::vector<Event> events;
    for (const long at : flight.events) events.push_back({at, kPilotEvent});
    if (flight.takeoff) events.push_back({*flight.takeoff, kTakeoffDetected});
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.at < b.at; });
    auto nextEvent = events.begin();
    for (const VolksloggerFlight::Fix& fix : flight.fixes) {
        for (; nextEvent != events.end() && nextEvent->at <= fix.at; ++nextEvent) {
            timeline.event(nextEvent->at + shift, nextEvent->id);
        }
        VolksloggerFlight::Fix shifted = fix;
        shifted.at += shift;
        timeline.fix(shifted);
    }
    for (; nextEvent != events.end(); ++nextEvent)
        timeline.event(nextEvent->at + shift, nextEvent->id);
    w.end(flight.recordingTime(), 0, 41);
    return w.take();
}

Bytes encodeDirectory(const std::vector<VolksloggerFlight>& flights) {
    VolksloggerStreamWriter w;
    for (const VolksloggerFlight& flight : flights) {
        w.start(1);
        writeRecorderInfo(w, flight);
        writePilotPieces(w, flight.pilot);
        if (!flight.gliderId.empty()) w.data(kGliderId, flight.gliderId);
        if (!flight.competitionId.empty()) w.data(kCompetitionId, flight.competitionId);
        if (flight.takeoff) w.data(kTakeoffDetected, Bytes{});
        // The directory dates its entries by the last fix and counts back to the first.
        writeDate(w, 0, flight.lastFix());
        w.end(flight.recordingTime(), flight.recordingTime(), 7);
    }
    w.endMark();
    return w.take();
}

VolksloggerFlight syntheticFlight(std::chrono::sys_seconds firstFix, long durationSeconds,
                                  long intervalSeconds) {
    VolksloggerFlight flight;
    flight.pilot = "SYNTHETIC PILOT";
    flight.gliderType = "LS4";
    flight.gliderId = "D-1234";
    flight.competitionId = "XY";
    flight.firstFix = firstFix;
    constexpr long kLatitude = 3150000;  // 52 30' N
    constexpr long kLongitude = 795000;  // 13 15' E
    for (long at = 0; at <= durationSeconds; at += intervalSeconds) {
        VolksloggerFlight::Fix fix;
        fix.at = at;
        const double angle = static_cast<double>(at) / 600.0;
        fix.latitude = kLatitude + std::lround(3000 * std::sin(angle)) + at / 10;
        fix.longitude = kLongitude + std::lround(3000 * std::cos(angle));
        fix.pressure = static_cast<std::uint16_t>(3000 + (at / 7) % 500);
        fix.altitude = static_cast<int>(200 + (at / 11) % 150);
        fix.accuracy = 3;
        fix.engineNoise = static_cast<std::uint8_t>(at % 50);
        flight.fixes.push_back(fix);
    }
    return flight;
}

}  // namespace kelvo::sim
