#include "LoggerAccess/DeclarationCheck.h"

#include <gtest/gtest.h>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerLimits.h"
#include "geo/Declaration.h"
#include "geo/Turnpoint.h"

namespace kelvo {

void PrintTo(const DeclarationDifference& difference, std::ostream* out) {
    *out << difference.field << ": \"" << difference.meant << "\" / \"" << difference.held << '"';
}

namespace {

std::shared_ptr<Turnpoint> point(const std::string& name, double latitude, double longitude) {
    auto turnpoint = std::make_shared<Turnpoint>();
    turnpoint->setValueFromDegrees(name, latitude, longitude, 0);
    return turnpoint;
}

std::shared_ptr<Task> taskOf(std::vector<std::shared_ptr<Turnpoint>> points) {
    auto task = std::make_shared<Task>();
    for (auto& turnpoint : points) task->addTurnpoint(std::move(turnpoint));
    return task;
}

// A recorder of short capitalised texts, 1/60000-degree coordinates and three task points.
DeclarationLimits smallRecorder() {
    DeclarationLimits limits;
    limits.pilotLength = {6, 0, 6, 6};
    limits.gliderIDLength = 4;
    limits.gliderTypeLength = 4;
    limits.competitionIDLength = 2;
    limits.pointNameLength = 3;
    limits.upperCase = true;
    limits.coordinateResolution = 1.0 / 60000;
    limits.maxTaskPoints = 3;
    return limits;
}

Declaration meantDeclaration() {
    Declaration meant;
    meant.setPilot1("Jörg Keller");
    meant.setPilot2("not kept");
    meant.setGliderID("D-5408");
    meant.setCompetitionClass(42);
    meant.setHomePoint(point("Klippeneck", 48.1075, 8.7633));
    meant.setTask(taskOf({point("Start", 48.0, 8.0), point("One", 48.5, 8.5),
                          point("Two", 48.6, 8.6), point("Finish", 48.1, 8.1)}));
    return meant;
}

// What the small recorder makes of the meant declaration.
Declaration heldDeclaration() {
    Declaration held;
    held.setPilot1("JöRG K");  // the recorder capitalises ASCII letters only
    held.setGliderID("D-54");
    held.setHomePoint(point("KLI", 48.1075 - 0.9 / 60000, 8.7633));
    held.setTask(
        taskOf({point("STA", 48.0, 8.0), point("ONE", 48.5, 8.5), point("FIN", 48.1, 8.1)}));
    return held;
}

TEST(DeclarationCheck, ComparesWhatWasMeantAsTheRecorderCanHoldIt) {
    // Texts cut and capitalised, coordinates within a step, the class out of the list kept
    // as none, the task's first points and its finish: all as the record holds them.
    EXPECT_EQ(DeclarationCheck::compare(meantDeclaration(), heldDeclaration(), smallRecorder()),
              std::vector<DeclarationDifference>{});

    Declaration held = heldDeclaration();
    held.setPilot1("Jörg K");
    EXPECT_EQ(DeclarationCheck::compare(meantDeclaration(), held, smallRecorder()),
              (std::vector<DeclarationDifference>{{"Pilot 1", "JöRG K", "Jörg K"}}));
}

TEST(DeclarationCheck, NamesEachFieldThatDiffers) {
    Declaration held = heldDeclaration();
    held.setCompetitionClass(2);
    held.setHomePoint(point("KLI", 48.1075 + 2.0 / 60000, 8.7633));
    held.setTask(taskOf({point("STA", 48.0, 8.0), point("ONE", 48.5, 8.5)}));
    const auto differences = DeclarationCheck::compare(meantDeclaration(), held, smallRecorder());
    std::vector<std::string> fields;
    for (const auto& difference : differences) fields.push_back(difference.field);
    EXPECT_EQ(fields, (std::vector<std::string>{"Competition class", "Home point", "Task points",
                                                "Task point 3"}));
    EXPECT_EQ(differences[0], (DeclarationDifference{"Competition class", "no class", "Standard"}));
    EXPECT_EQ(differences[3].held, "none");
}

// A driver that holds what a test gives it as the recorder's declaration.
class RecorderStub : public Logger {
  public:
    std::optional<DeclarationLimits> declarationLimits() const override { return smallRecorder(); }
    Outcome readDeclaration(bool) override {
        if (!recorderHolds) return Outcome::failure("no answer from the recorder");
        loggerData().setDeclaration(std::make_shared<Declaration>(*recorderHolds));
        return Outcome::success();
    }
    std::optional<Declaration> recorderHolds;
};

TEST(DeclarationCheck, ReadsBackAfterTheWriteAndSaysWhatItFound) {
    Logger family;
    EXPECT_EQ(DeclarationCheck::verifyWritten(family).text(), "written, not verifiable");

    RecorderStub recorder;
    recorder.loggerData().setDeclaration(std::make_shared<Declaration>(meantDeclaration()));
    EXPECT_EQ(DeclarationCheck::verifyWritten(recorder).text(),
              "written, but it could not be read back to verify it: no answer from the recorder");

    Declaration held = heldDeclaration();
    recorder.recorderHolds = held;
    recorder.loggerData().setDeclaration(std::make_shared<Declaration>(meantDeclaration()));
    const DeclarationVerification verified = DeclarationCheck::verifyWritten(recorder);
    EXPECT_EQ(verified.text(), "written and verified");
    EXPECT_EQ(recorder.loggerData().declaration()->gliderID(), "D-54")
        << "the logger data holds what was read";

    held.setGliderID("D-55");
    recorder.recorderHolds = held;
    recorder.loggerData().setDeclaration(std::make_shared<Declaration>(meantDeclaration()));
    const DeclarationVerification differs = DeclarationCheck::verifyWritten(recorder);
    EXPECT_FALSE(differs.acceptable());
    EXPECT_EQ(differs.text(),
              "written, but the recorder holds another declaration: Glider ID meant \"D-54\", "
              "recorder holds \"D-55\"");
}

}  // namespace
// Save to Logger names everything the recorder will not keep of the declaration as given.
TEST(LoggerLimits, NamesWhatTheRecorderWillNotKeepOfTheDeclaration) {
    LoggerData data;
    Declaration& meant = *data.declaration();
    meant = meantDeclaration();
    meant.homePoint()->setElevation(973);
    meant.task()->turnpoint(1)->setCylinderRadius(500);
    DeclarationLimits limits = smallRecorder();
    limits.zones.sectorRadius = true;
    EXPECT_EQ(LoggerLimits::declarationChanges(data, limits),
              (std::vector<std::string>{
                  "Pilot 1 is cut to 6 characters: \"Jörg K\"",
                  "the recorder keeps no Pilot 2; \"not kept\" is dropped",
                  "Glider ID is cut to 4 characters: \"D-54\"",
                  "the recorder keeps the declaration's texts in capitals",
                  "the home point's name is cut to 3 characters: \"Kli\"",
                  "the recorder keeps no home elevation; 973 m is dropped",
                  "2 task point names are longer than the 3 characters the recorder keeps",
                  "the recorder keeps no cylinder radius of the task points"}));
    limits.zones.cylinderRadius = limits.keepsHomeElevation = true;
    meant.homePoint()->setElevation(0);
    EXPECT_EQ(LoggerLimits::declarationChanges(data, limits).size(), 6u);
}

// Only values some waypoint holds are named, in the order of the waypoint table.
TEST(LoggerLimits, NamesTheWaypointValuesTheRecorderDoesNotKeep) {
    LoggerData data;
    for (int i = 0; i < 3; ++i) data.waypoints().push_back(Waypoint::fromDegrees("W", 48, 8, 0));
    const WaypointFields kept = {.elevation = false,
                                 .type = true,
                                 .runwayDirection = false,
                                 .runwayLength = false,
                                 .frequency = false};
    data.waypoints()[0]->setType(2);
    EXPECT_TRUE(LoggerLimits::waypointFieldsDropped(data, kept).empty());
    data.waypoints()[1]->setFrequency(123.5);
    data.waypoints()[1]->setRunwayLength(800);
    data.waypoints()[2]->setElevation(973);
    EXPECT_EQ(LoggerLimits::waypointFieldsDropped(data, kept),
              (std::vector<std::string>{"2 waypoints lose their elevation, runway length and "
                                        "frequency: the recorder keeps none"}));
    EXPECT_TRUE(LoggerLimits::waypointFieldsDropped(data, WaypointFields{}).empty());
}

// The editor shows a CUP file's long names; the recorder holds the short ones, cut.
TEST(LoggerLimits, NamesTheWaypointNamesTheRecorderHoldsInstead) {
    LoggerData data;
    LoggerCapabilities capabilities;
    capabilities.maxWaypoints = 500;
    capabilities.lenWaypointName = 8;
    const std::pair<const char*, const char*> names[] = {
        {"KLIPPENE", "Klippeneck Segelfluggelaende"}, {"HORNISGRINDE", ""}, {"BBB", ""}};
    for (const auto& [name, longName] : names) {
        data.waypoints().push_back(Waypoint::fromDegrees(name, 48, 8, 0));
        data.waypoints().back()->setLongName(longName);
    }
    EXPECT_EQ(
        LoggerLimits::heldWaypointNames(data, capabilities),
        (std::vector<std::string>{"\"Klippeneck Segelfluggelaende\" will be held as \"KLIPPENE\"",
                                  "\"HORNISGRINDE\" will be held as \"HORNISGR\""}));
    for (int i = 0; i < 8; ++i) data.waypoints().push_back(data.waypoints()[1]->copy());
    const auto lines = LoggerLimits::heldWaypointNames(data, capabilities);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines.back(), "2 more waypoints are held under shorter names");
    capabilities.maxWaypoints = 0;  // holds no waypoints: nothing is held under any name
    EXPECT_TRUE(LoggerLimits::heldWaypointNames(data, capabilities).empty());
}

}  // namespace kelvo
