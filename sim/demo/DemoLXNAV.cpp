#include "sim/demo/DemoLXNAV.h"

#include <algorithm>

#include "LoggerAccess/LXNAV/LXNAVDeclaration.h"
#include "base/Format.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "sim/demo/DemoIgc.h"

namespace kelvo::sim {
namespace {

std::string clockTime(std::chrono::sys_seconds time) {
    const UtcFields at = utcFields(time);
    return stringf("%02d:%02d:%02d", at.hour, at.minute, at.second);
}

}  // namespace

LXNAVEmulatorConfig demoLXNAVConfig(const DemoContent& content, bool withClock) {
    const DemoRecorder recorder{"LXV", "3F1", 'L', "NANO3", "3.02"};
    LXNAVEmulatorConfig config;
    std::vector<const DemoFlight*> flights;
    for (const DemoFlight& flight : content.flights) flights.push_back(&flight);
    std::stable_sort(flights.begin(), flights.end(), [](const DemoFlight* a, const DemoFlight* b) {
        return a->firstFix() < b->firstFix();
    });
    for (const DemoFlight* flight : flights) {
        const UtcFields day = utcFields(flight->firstFix());
        config.flights.push_back(
            {demoIgcFileName(*flight, recorder),
             withClock ? stringf("%02d.%02d.%04d", day.day, day.month, day.year) : "00.00.1980",
             clockTime(flight->firstFix()), withClock ? clockTime(flight->lastFix()) : "00:00:00",
             demoIgcFile(*flight, recorder)});
    }
    const auto declared =
        content.flights.empty() ? std::chrono::sys_seconds{} : content.flights.front().firstFix();
    config.declaration = LXNAVDeclaration::rowsOf(*content.declaration, declared);
    return config;
}

}  // namespace kelvo::sim
