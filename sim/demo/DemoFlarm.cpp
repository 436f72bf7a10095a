#include "sim/demo/DemoFlarm.h"

#include "base/Format.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "sim/demo/DemoIgc.h"

namespace kelvo::sim {

namespace {

// "name|YYYY-MM-DD|HH:MM:SS|HH:MM:SS|pilot|glider": the start time and the duration.
std::string recordText(const DemoFlight& flight, const DemoRecorder& recorder) {
    const UtcFields start = utcFields(flight.firstFix());
    const auto seconds = flight.duration().count();
    return demoIgcFileName(flight, recorder) +
           stringf("|%04d-%02d-%02d|%02d:%02d:%02d|%02d:%02d:%02d|", start.year, start.month,
                   start.day, start.hour, start.minute, start.second,
                   static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                   static_cast<int>(seconds % 60)) +
           flight.pilot + "|" + flight.gliderId;
}

}  // namespace

FlarmEmulatorConfig demoFlarmConfig(const DemoContent& content) {
    const DemoRecorder recorder;
    const Declaration& declaration = *content.declaration;
    FlarmEmulatorConfig config;
    config.values = {
        {"HWVER", recorder.hardware},
        {"SWVER", recorder.firmware},
        {"OBSTDB", "2,1,Alps-Europe 2026-11"},
        {"SER", "DF7A31"},
        {"ACFT", "1"},
        {"PILOT", declaration.pilot1()},
        {"GLIDERID", declaration.gliderID()},
        {"GLIDERTYPE", declaration.gliderType()},
        {"COMPID", declaration.competitionID()},
        {"COMPCLASS", declaration.competitionClassDescription()},
    };
    for (const DemoFlight& flight : content.flights) {
        config.flights.push_back({recordText(flight, recorder), demoIgcFile(flight, recorder)});
    }
    return config;
}

}  // namespace kelvo::sim
