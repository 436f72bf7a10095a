#include "LoggerAccess/LX/LXDatabaseCheck.h"

#include <cctype>

#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LX/LXRoute.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "base/Format.h"

namespace kelvo {
namespace {

constexpr std::size_t kRoutesOffset = LXLogger::kMaxWaypoints * LXTurnpoint::kSize;
// A pilot reads one line: the first differences name the kind of trouble.
constexpr std::size_t kNamedDifferences = 5;

// A field of a waypoint record as the pilot reads it. Coordinates are shown to 0.00001
// degree (about a metre), which is also how closely they are compared.
struct WaypointField {
    const char* name;
    std::string (*text)(const LXTurnpoint&);
};

const WaypointField kWaypointFields[] = {
    {"name", [](const LXTurnpoint& record) { return "\"" + record.name() + "\""; }},
    {"latitude", [](const LXTurnpoint& record) { return stringf("%.5f", record.latitude()); }},
    {"longitude", [](const LXTurnpoint& record) { return stringf("%.5f", record.longitude()); }},
    {"elevation", [](const LXTurnpoint& record) { return stringf("%d m", record.altitude()); }},
    {"runway length",
     [](const LXTurnpoint& record) { return stringf("%d m", record.runwayLength()); }},
    {"runway direction",
     [](const LXTurnpoint& record) { return stringf("%d degrees", record.runwayDirection()); }},
    {"type", [](const LXTurnpoint& record) { return stringf("%d", record.waypointType()); }},
    {"training circle",
     [](const LXTurnpoint& record) {
         const auto code = static_cast<unsigned char>(record.trainingCircle());
         return std::isprint(code) ? stringf("'%c'", code) : stringf("%d", code);
     }},
};

bool inUse(const LXTurnpoint& record) {
    return record.prg() != 0 || !record.name().empty();
}

std::string waypointLabel(std::size_t index, const LXTurnpoint& record) {
    return stringf("Waypoint %zu \"%s\"", index + 1, record.name().c_str());
}

void compareWaypoint(std::size_t index, const LXTurnpoint& meant, const LXTurnpoint& held,
                     std::vector<std::string>& differences) {
    if (!inUse(meant) && !inUse(held)) return;
    if (!inUse(held)) {
        differences.push_back(waypointLabel(index, meant) + " is missing");
        return;
    }
    if (!inUse(meant)) {
        differences.push_back(
            stringf("the recorder holds waypoint %zu \"%s\", which was not written", index + 1,
                    held.name().c_str()));
        return;
    }
    for (const WaypointField& field : kWaypointFields) {
        const std::string expected = field.text(meant);
        const std::string kept = field.text(held);
        if (expected != kept) {
            differences.push_back(stringf("%s meant %s %s, recorder holds %s",
                                          waypointLabel(index, meant).c_str(), field.name,
                                          expected.c_str(), kept.c_str()));
        }
    }
}

std::vector<std::uint16_t> pointIndices(const LXRoute& route) {
    std::vector<std::uint16_t> indices;
    for (std::size_t i = 0; i < LXRoute::kMaxPoints && route.pointType(i) != 0; ++i) {
        indices.push_back(route.pointIndex(i));
    }
    return indices;
}

// The route's points by the names of the block's waypoint records.
std::string pointNames(const std::vector<std::uint16_t>& indices, ByteSpan block) {
    std::string names;
    for (const std::uint16_t index : indices) {
        const std::string name = index < LXLogger::kMaxWaypoints
                                     ? LXTurnpoint(block, LXTurnpoint::kSize * index).name()
                                     : std::string();
        if (!names.empty()) names += ", ";
        names += name.empty() ? stringf("#%d", index + 1) : name;
    }
    return names.empty() ? "no points" : names;
}

void compareRoute(std::size_t index, ByteSpan meantBlock, ByteSpan heldBlock,
                  std::vector<std::string>& differences) {
    const std::size_t offset = kRoutesOffset + LXRoute::kSize * index;
    const LXRoute meant(meantBlock, offset);
    const LXRoute held(heldBlock, offset);
    const bool meantInUse = meant.prg() == 1;
    const bool heldInUse = held.prg() == 1;
    if (!meantInUse && !heldInUse) return;
    if (!heldInUse) {
        differences.push_back(stringf("Route %zu is missing", index + 1));
        return;
    }
    if (!meantInUse) {
        differences.push_back(
            stringf("the recorder holds route %zu, which was not written", index + 1));
        return;
    }
    const auto meantPoints = pointIndices(meant);
    const auto heldPoints = pointIndices(held);
    if (meantPoints != heldPoints) {
        differences.push_back(stringf("Route %zu meant %s; recorder holds %s", index + 1,
                                      pointNames(meantPoints, meantBlock).c_str(),
                                      pointNames(heldPoints, heldBlock).c_str()));
    }
}

}  // namespace

std::vector<std::string> LXDatabaseCheck::differences(ByteSpan meant, ByteSpan held) {
    std::vector<std::string> differences;
    for (std::size_t i = 0; i < LXLogger::kMaxWaypoints; ++i) {
        compareWaypoint(i, LXTurnpoint(meant, LXTurnpoint::kSize * i),
                        LXTurnpoint(held, LXTurnpoint::kSize * i), differences);
    }
    for (std::size_t j = 0; j < LXLogger::kMaxRoutes; ++j)
        compareRoute(j, meant, held, differences);
    return differences;
}

std::string LXDatabaseCheck::summary(const std::vector<std::string>& differences) {
    std::string text;
    for (std::size_t i = 0; i < differences.size() && i < kNamedDifferences; ++i) {
        if (!text.empty()) text += "; ";
        text += differences[i];
    }
    if (differences.size() > kNamedDifferences) {
        text += stringf("; and %zu more", differences.size() - kNamedDifferences);
    }
    return text;
}

}  // namespace kelvo
