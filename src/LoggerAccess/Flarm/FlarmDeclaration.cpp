#include "LoggerAccess/Flarm/FlarmDeclaration.h"

#include "geo/Declaration.h"
#include "geo/Task.h"
#include "igc/IGCTaskRecord.h"

namespace kelvo {
namespace {

constexpr std::size_t kTextLength = 50;  // what one sentence has room for after the item
constexpr const char* kTakeoffName = "TAKEOFF";
constexpr const char* kLandingName = "LANDING";
constexpr const char* kNoPosition = "0000000N,00000000E";
constexpr std::size_t kAddwpBytes = 9;  // what an ADDWP item costs besides its name
constexpr std::size_t kNewTaskBytes = 7;

}  // namespace

DeclarationLimits FlarmDeclaration::limits() {
    DeclarationLimits limits = DeclarationLimits::ofTextSentences(kTextLength, kMaxTaskPoints);
    // NEWTASK and the take-off and landing placeholders come off the budget first.
    limits.taskNameBytes = kTaskBytes - kNewTaskBytes - std::string_view(kTaskName).size() -
                           2 * kAddwpBytes - std::string_view(kTakeoffName).size() -
                           std::string_view(kLandingName).size();
    limits.taskBytesPerPoint = kAddwpBytes;
    return limits;
}

std::vector<FlarmDeclaration::Item> FlarmDeclaration::items(const Declaration& d) {
    std::vector<Item> items{
        {"PILOT", d.pilot1()},         {"COPIL", d.pilot2()},
        {"GLIDERID", d.gliderID()},    {"GLIDERTYPE", d.gliderType()},
        {"COMPID", d.competitionID()}, {"COMPCLASS", d.competitionClassDescription()}};
    if (!d.task() || d.task()->turnpoints().empty()) {
        items.push_back({"NEWTASK", ""});  // an empty name clears the task
        return items;
    }
    items.push_back({"NEWTASK", kTaskName});
    items.push_back({"ADDWP", std::string(kNoPosition) + "," + kTakeoffName});
    for (const auto& point : d.task()->turnpoints()) {
        items.push_back({"ADDWP", IGCTaskRecord::latitude(point->latitudeDegrees()) + "," +
                                      IGCTaskRecord::longitude(point->longitudeDegrees()) + "," + point->name()});
    }
    items.push_back({"ADDWP", std::string(kNoPosition) + "," + kLandingName});
    return items;
}

}  // namespace kelvo
