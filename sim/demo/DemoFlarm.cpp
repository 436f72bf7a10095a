#include "sim/demo/DemoFlarm.h"

#include "base/Format.h"
#include "base/UtcDate.h"
#include "LoggerAccess/DeclarationFit.h"
#include "LoggerAccess/Flarm/FlarmDeclaration.h"
#include "geo/Declaration.h"
#include "geo/Task.h"
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
        {"COPIL", declaration.pilot2()},
        {"LIC", "AUD:1;ENL:1;IGC:1;RFB:1"},
        {"IGCSER", "F7A"},
    };
    Declaration fitted = declaration;
    if (declaration.task()) {
        auto task = std::make_shared<Task>();
        for (const auto& point : declaration.task()->turnpoints()) {
            task->addTurnpoint(std::make_shared<Turnpoint>(*point));
        }
        fitted.setTask(task);
    }
    DeclarationFit::apply(fitted, FlarmDeclaration::limits());
    for (const FlarmDeclaration::Item& item : FlarmDeclaration::items(fitted)) {
        if (item.name == "NEWTASK") config.taskName = item.value;
        if (item.name == "ADDWP") config.task.push_back(item.value);
    }
    for (const DemoFlight& flight : content.flights) {
        config.flights.push_back({recordText(flight, recorder), demoIgcFile(flight, recorder)});
    }
    return config;
}

}  // namespace kelvo::sim
