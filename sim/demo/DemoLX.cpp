#include "sim/demo/DemoLX.h"

#include "base/Format.h"
#include "base/UtcDate.h"
#include "LoggerAccess/LX/LXProtocol.h"
#include "geo/Declaration.h"
#include "sim/demo/DemoLXFlight.h"

namespace kelvo::sim {

namespace {

constexpr std::uint16_t kSerialNumber = 4711;
constexpr std::uint8_t kFirstPage = 8;
constexpr int kUsualPages = 8;

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
    std::vector<LXEmulatedFlight> flights;
    std::size_t flightBytes = 0;
    for (const DemoFlight& flight : content.flights) {
        flights.push_back(emulatedFlight(flight));
        flightBytes += flights.back().native.size();
    }
    // Many flights take a larger flight memory than the usual pages 8 to 15, so that none
    // is overwritten.
    const auto pages = static_cast<int>(flightBytes / lx::kPageSize) + 1;
    if (pages > kUsualPages) {
        recorder.setMemoryPages(kFirstPage, static_cast<std::uint8_t>(kFirstPage + pages));
    }
    for (const LXEmulatedFlight& flight : flights) recorder.addFlight(flight);
    recorder.setDatabase(content.waypoints, content.routes);
    recorder.setDeclaration(declaration);
}

}  // namespace kelvo::sim
