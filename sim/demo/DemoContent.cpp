#include "sim/demo/DemoContent.h"

#include <algorithm>

#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "sim/demo/DemoFlightSimulator.h"

namespace kelvo::sim {

namespace {

// Waypoint styles as the waypoint files know them.
constexpr int kTurnpoint = 1;
constexpr int kGlidingSite = 4;
constexpr int kAirfield = 5;

struct Place {
    const char* name;
    const char* longName;
    double latitude;   // [degrees]
    double longitude;  // [degrees]
    double elevation;  // [m]
    int type = kTurnpoint;
    double frequency = 0.0;  // [MHz]
    int runwayDirection = 0;
    int runwayLength = 0;  // [m]
};

const std::vector<Place>& places() {
    static const std::vector<Place> list{
        {"KLIPPENE", "Klippeneck", 48.1075, 8.7633, 973, kGlidingSite, 123.355, 100, 620},
        {"HAHNWEID", "Hahnweide Kirchheim", 48.6317, 9.4283, 356, kGlidingSite, 123.645, 130, 900},
        {"ELCHINGE", "Aalen-Elchingen", 48.7772, 10.2647, 586, kAirfield, 122.605, 90, 1050},
        {"GIENGEN", "Giengen Brenz", 48.6342, 10.2169, 518, kGlidingSite, 123.425, 80, 700},
        {"LAICHING", "Laichingen", 48.4969, 9.6403, 747, kGlidingSite, 123.505, 90, 800},
        {"EISBERG", "Muensingen Eisberg", 48.4128, 9.4386, 708, kGlidingSite, 123.300, 70, 600},
        {"HORNBERG", "Hornberg", 48.7447, 9.8481, 656, kGlidingSite, 123.350, 120, 650},
        {"ZEPFENHA", "Rottweil Zepfenhan", 48.1903, 8.7214, 739, kAirfield, 122.300, 40, 800},
        {"TUEBINGE", "Tuebingen", 48.5216, 9.0576, 341},
        {"REUTLING", "Reutlingen", 48.4914, 9.2043, 382},
        {"BALINGEN", "Balingen", 48.2753, 8.8531, 517},
        {"SIGMARIN", "Sigmaringen", 48.0869, 9.2164, 580},
        {"ULM", "Ulm Muenster", 48.4011, 9.9876, 478},
        {"HEIDENHM", "Heidenheim", 48.6763, 10.1514, 491},
        {"EHINGEN", "Ehingen Donau", 48.2835, 9.7264, 515},
        {"RIEDLING", "Riedlingen", 48.1527, 9.4727, 540},
        {"ALBSTADT", "Albstadt", 48.2122, 9.0236, 730},
        {"HECHINGE", "Hechingen", 48.3520, 8.9633, 530},
        {"ROTTWEIL", "Rottweil", 48.1681, 8.6271, 600},
        {"TUTTLING", "Tuttlingen", 47.9847, 8.8182, 645},
        {"SPAICHIN", "Spaichingen", 48.0758, 8.7353, 670},
        {"MUENSING", "Muensingen", 48.4125, 9.4946, 707},
        {"GEISLING", "Geislingen Steige", 48.6237, 9.8307, 464},
        {"GOEPPING", "Goeppingen", 48.7035, 9.6523, 323},
        {"NUERTING", "Nuertingen", 48.6268, 9.3376, 291},
        {"METZINGE", "Metzingen", 48.5373, 9.2858, 350},
        {"URACH", "Bad Urach", 48.4931, 9.3986, 463},
        {"BLAUBEUR", "Blaubeuren", 48.4123, 9.7851, 519},
        {"GMUEND", "Schwaebisch Gmuend", 48.7995, 9.7977, 321},
        {"AALEN", "Aalen", 48.8378, 10.0933, 433},
        {"ELLWANGE", "Ellwangen", 48.9616, 10.1313, 439},
        {"NOERDLIN", "Noerdlingen", 48.8510, 10.4880, 430},
        {"DILLINGE", "Dillingen Donau", 48.5813, 10.4956, 434},
        {"GUENZBUR", "Guenzburg", 48.4527, 10.2713, 448},
        {"LAUPHEIM", "Laupheim", 48.2290, 9.8797, 515},
        {"BIBERACH", "Biberach Riss", 48.0985, 9.7900, 533},
        {"SAULGAU", "Bad Saulgau", 48.0170, 9.4983, 593},
        {"PFULLEND", "Pfullendorf", 47.9245, 9.2566, 650},
        {"MESSKIRC", "Messkirch", 47.9924, 9.1129, 605},
        {"GAMMERTI", "Gammertingen", 48.2525, 9.2200, 665},
        {"ZWIEFALT", "Zwiefalten", 48.2320, 9.4630, 535},
        {"OBERNDOR", "Oberndorf Neckar", 48.2905, 8.5775, 460},
        {"HORB", "Horb Neckar", 48.4445, 8.6913, 423},
        {"HERRENBG", "Herrenberg", 48.5962, 8.8709, 431},
        {"GERSTETT", "Gerstetten", 48.6230, 10.0190, 610},
        {"NERESHEI", "Neresheim", 48.7550, 10.3340, 504},
    };
    return list;
}

std::shared_ptr<Waypoint> makeWaypoint(const Place& place) {
    auto waypoint =
        Waypoint::fromDegrees(place.name, place.latitude, place.longitude, place.elevation);
    waypoint->setLongName(place.longName);
    waypoint->setCountry("DE");
    waypoint->setType(place.type);
    waypoint->setFrequency(place.frequency);
    waypoint->setRunwayDirection(place.runwayDirection);
    waypoint->setRunwayLength(place.runwayLength);
    return waypoint;
}

struct RoutePlan {
    const char* name;
    std::vector<const char*> points;
};

// About 280, 250 and 115 km.
const std::vector<RoutePlan>& routePlans() {
    static const std::vector<RoutePlan> plans{
        {"Alb Nord 280", {"KLIPPENE", "LAICHING", "ELLWANGE", "HAHNWEID", "KLIPPENE"}},
        {"Donau 250", {"KLIPPENE", "BIBERACH", "GUENZBUR", "MUENSING", "KLIPPENE"}},
        {"Baar 115", {"KLIPPENE", "HORB", "GAMMERTI", "KLIPPENE"}},
    };
    return plans;
}

struct FlightPlan {
    int year, month, day, hour, minute;
    std::size_t route;
    int interval;  // [s]
    std::uint64_t seed;
};

const std::vector<FlightPlan>& flightPlans() {
    static const std::vector<FlightPlan> plans{
        {2026, 5, 14, 10, 40, 2, 1, 11},
        {2026, 6, 2, 10, 5, 0, 4, 23},
        {2026, 6, 21, 10, 20, 1, 2, 37},
        {2026, 7, 9, 11, 30, 2, 3, 41},
    };
    return plans;
}

std::shared_ptr<Declaration> makeDeclaration(const DemoContent& content) {
    auto declaration = std::make_shared<Declaration>();
    declaration->setPilot1("Anna Keller");
    declaration->setGliderType("LS8-18");
    declaration->setGliderID("D-5408");
    declaration->setCompetitionID("K8");
    declaration->setCompetitionClass(2);  // Standard
    declaration->setHomePoint(content.waypoint("KLIPPENE"));
    declaration->useRoute(*content.routes.front());
    for (const auto& turnpoint : declaration->task()->turnpoints()) {
        turnpoint->setCylinderRadius(500);
    }
    return declaration;
}

constexpr std::size_t kSmallFlightFixes = 150;
constexpr std::size_t kSmallFlights = 3;

DemoFlight makeFlight(const DemoContent& content, const FlightPlan& plan, DemoSize size) {
    DemoFlight flight;
    const Declaration& declaration = *content.declaration;
    flight.pilot = declaration.pilot1();
    flight.gliderType = declaration.gliderType();
    flight.gliderId = declaration.gliderID();
    flight.competitionId = declaration.competitionID();
    flight.competitionClass = declaration.competitionClassDescription();
    flight.interval = plan.interval;
    flight.task = content.routes[plan.route]->waypoints();
    const auto takeoff = *utcTime(plan.year, plan.month, plan.day, plan.hour, plan.minute);
    DemoFlightSimulator(plan.seed, plan.interval).fly(flight, takeoff);
    if (size == DemoSize::Small && flight.fixes.size() > kSmallFlightFixes) {
        flight.fixes.resize(kSmallFlightFixes);
        std::erase_if(flight.events,
                      [&](const DemoEvent& event) { return event.time > flight.lastFix(); });
    }
    return flight;
}

// The plan of the n-th flight: the four demo flights, then the same in earlier years.
FlightPlan flightPlan(std::size_t n) {
    const auto& plans = flightPlans();
    FlightPlan plan = plans[n % plans.size()];
    const auto season = static_cast<int>(n / plans.size());
    plan.year -= season;
    plan.seed += 1000u * static_cast<std::uint64_t>(season);
    return plan;
}

}  // namespace

DemoContent DemoContent::make(DemoSize size, std::optional<std::size_t> flightCount) {
    DemoContent content;
    for (const auto& place : places()) content.waypoints.push_back(makeWaypoint(place));
    for (const auto& plan : routePlans()) {
        auto route = std::make_shared<Route>();
        std::vector<std::shared_ptr<Waypoint>> points;
        for (const char* name : plan.points) points.push_back(content.waypoint(name));
        route->setValue(plan.name, std::move(points));
        content.routes.push_back(std::move(route));
    }
    content.declaration = makeDeclaration(content);
    const std::size_t count =
        flightCount.value_or(size == DemoSize::Small ? kSmallFlights : flightPlans().size());
    for (std::size_t n = 0; n < count; ++n) {
        content.flights.push_back(makeFlight(content, flightPlan(n), size));
    }
    return content;
}

std::shared_ptr<Waypoint> DemoContent::waypoint(const std::string& name) const {
    const auto found = std::find_if(waypoints.begin(), waypoints.end(),
                                    [&](const auto& waypoint) { return waypoint->name() == name; });
    return found == waypoints.end() ? nullptr : *found;
}

}  // namespace kelvo::sim
