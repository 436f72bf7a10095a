#include "sim/demo/DemoLXFlight.h"

#include <cmath>

#include "base/UtcDate.h"
#include "geo/Waypoint.h"

namespace kelvo::sim {

namespace {

constexpr std::uint8_t kStandardClass = 0;  // the recorder's code of the Standard class
constexpr std::uint8_t kNamedClass = 7;
constexpr int kFixesPerOrigin = 60;

std::int32_t units(double degrees) {  // 1/60000 degree
    return static_cast<std::int32_t>(std::lround(degrees * 60000.0));
}

std::uint32_t secondsOfDayOf(std::chrono::sys_seconds time) {
    return static_cast<std::uint32_t>(secondsOfDay(time));
}

std::uint8_t classCodeOf(const std::string& name) {
    return name == "Standard" ? kStandardClass : kNamedClass;
}

LXTaskSlot slot(std::uint8_t marker, const Waypoint& waypoint) {
    return {marker, waypoint.name(), units(waypoint.latitudeDegrees()),
            units(waypoint.longitudeDegrees())};
}

// Take-off, start, turnpoints, finish and landing, declared twenty minutes before take-off.
LXNativeTask taskOf(const DemoFlight& flight) {
    const auto declared = flight.firstFix() - std::chrono::minutes(20);
    const UtcFields date = utcFields(declared);
    LXNativeTask task;
    task.inputTime = secondsOfDayOf(declared);
    task.inputDay = static_cast<std::uint8_t>(date.day);
    task.inputMonth = static_cast<std::uint8_t>(date.month);
    task.inputYear = static_cast<std::uint8_t>(date.year % 100);
    task.taskId = 1;
    task.turnpointCount = static_cast<std::int8_t>(flight.task.size() - 2);
    task.slots.push_back(slot(3, *flight.task.front()));
    for (const auto& waypoint : flight.task) task.slots.push_back(slot(1, *waypoint));
    task.slots.push_back(slot(2, *flight.task.back()));
    return task;
}

}  // namespace

LXNativeFlightEncoder demoLXNativeFlight(const DemoFlight& flight) {
    const UtcFields date = utcFields(flight.firstFix());
    LXNativeFlightEncoder encoder;
    encoder.flightNumber(static_cast<std::uint8_t>(flight.flightOfDay))
        .date(static_cast<std::uint8_t>(date.day), static_cast<std::uint8_t>(date.month),
              static_cast<std::uint16_t>(date.year))
        .recorderIdentification("LXNAVNANO")
        .versions(30, 26)
        .flightInformation({flight.pilot, flight.gliderType, flight.gliderId, flight.competitionId,
                            classCodeOf(flight.competitionClass), 100, 35,
                            "uBLOX LEA-6S,16,max50000m"});
    if (classCodeOf(flight.competitionClass) == kNamedClass) {
        encoder.className(flight.competitionClass);
    }
    if (flight.task.size() >= 2) encoder.task(taskOf(flight));

    auto event = flight.events.begin();
    for (std::size_t i = 0; i < flight.fixes.size(); ++i) {
        const DemoFix& fix = flight.fixes[i];
        if (i % kFixesPerOrigin == 0) {
            encoder.origin(secondsOfDayOf(fix.time), units(fix.latitude), units(fix.longitude));
        }
        for (; event != flight.events.end() && event->time <= fix.time; ++event) {
            encoder.event(event->code);
        }
        encoder.fix(secondsOfDayOf(fix.time), units(fix.latitude), units(fix.longitude),
                    static_cast<std::int16_t>(fix.pressureAltitude),
                    static_cast<std::int16_t>(fix.gpsAltitude), fix.valid);
    }
    encoder.securityText("3F1A9C0D5E7B2846D1C0A9")
        .security(0x0D, Bytes{0x5A, 0x13, 0xC7, 0x88, 0x02, 0x6E, 0xB4, 0x19});
    return std::move(encoder.end());
}

}  // namespace kelvo::sim
