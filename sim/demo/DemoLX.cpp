#include "sim/demo/DemoLX.h"

#include "base/Format.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "sim/demo/DemoLXFlight.h"

namespace kelvo::sim {

namespace {

constexpr std::uint16_t kSerialNumber = 4711;

std::string clockText(std::chrono::sys_seconds time) {
    const UtcFields fields = utcFields(time);
    return stringf("%02d:%02d:%02d", fields.hour, fields.minute, fields.second);
}

LXEmulatedFlight emulatedFlight(const DemoFlight& flight) {
    const LXNativeFlightEncoder encoder = demoLXNativeFlight(flight);
    const UtcFields date = utcFields(flight.firstFix());
    LXEmulatedFlight emulated;
    emulated.native = encoder.bytes();
    emulated.securityBlock = encoder.lengthTable();
    emulated.date = stringf("%02d.%02d.%02d", date.day, date.month, date.year % 100);
    emulated.start = clockText(flight.firstFix());
    emulated.stop = clockText(flight.lastFix());
    emulated.pilot = flight.pilot;
    emulated.flightNumber = static_cast<std::uint16_t>(flight.flightOfDay);
    return emulated;
}

}  // namespace

void loadDemo(LXRecorderEmulator& recorder, const DemoContent& content) {
    const Declaration& declaration = *content.declaration;
    recorder.setRecorder("LXNAV Nano3", kSerialNumber);
    recorder.setIdentification(
        stringf("LXNAV Nano3\r\nVersion 3.20\r\nSN%u,HW3.0\r\nPilot:%s\r\n"
                "Glider:%s",
                kSerialNumber, declaration.pilot1().c_str(), declaration.gliderType().c_str()));
    for (const DemoFlight& flight : content.flights) recorder.addFlight(emulatedFlight(flight));
    recorder.setDatabase(content.waypoints, content.routes);
    recorder.setDeclaration(declaration);
}

}  // namespace kelvo::sim
