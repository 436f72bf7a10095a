#include <gtest/gtest.h>

#include "cli/CliArguments.h"
#include "cli/CliJson.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo::cli {
namespace {

Declaration sampleDeclaration() {
    Declaration declaration;
    declaration.setPilot1("Anna Keller");
    declaration.setPilot2("Jo Brandt");
    declaration.setGliderID("D-5408");
    declaration.setGliderType("LS8-18");
    declaration.setCompetitionID("K8");
    declaration.setCompetitionClass(3);
    declaration.setHomePoint(Waypoint::fromDegrees("KLIPPENE", 48.1075, 8.7633, 973));
    Route route;
    route.setValue("Triangle", {Waypoint::fromDegrees("KLIPPENE", 48.1075, 8.7633, 973),
                                Waypoint::fromDegrees("HORB", 48.4445, 8.6913, 423),
                                Waypoint::fromDegrees("SOUTH", -33.5, -70.25, 500)});
    declaration.useRoute(route);
    declaration.task()->turnpoint(1)->setCylinderRadius(500);
    declaration.task()->turnpoint(2)->setOzType(1);
    declaration.task()->turnpoint(2)->setLineWidth(100);
    return declaration;
}

TEST(DeclarationJson, WritesEveryFieldAndReadsItBackUnchanged) {
    const Declaration original = sampleDeclaration();
    const Json document = declarationJson(original);
    EXPECT_EQ(document["competitionClass"], "15 Meter");
    EXPECT_EQ(document["homePoint"]["latitude"], 48.1075);
    EXPECT_FALSE(document["homePoint"].contains("ozType"));
    ASSERT_EQ(document["task"].size(), 3u);
    EXPECT_EQ(document["task"][1]["cylinderRadius"], 500);
    EXPECT_EQ(document["task"][2]["ozType"], 1);
    EXPECT_EQ(document["task"][2]["longitude"], -70.25);

    Declaration copy;
    applyDeclarationJson(Json::parse(document.dump()), copy);
    EXPECT_EQ(declarationJson(copy), document);
}

TEST(DeclarationJson, ChangesOnlyTheFieldsTheDocumentNames) {
    Declaration declaration = sampleDeclaration();
    applyDeclarationJson(
        Json{{"pilot1", "Ben Ott"}, {"competitionClass", "club"}, {"homePoint", nullptr}},
        declaration);
    EXPECT_EQ(declaration.pilot1(), "Ben Ott");
    EXPECT_EQ(declaration.pilot2(), "Jo Brandt");
    EXPECT_EQ(declaration.competitionClassDescription(), "Club");
    EXPECT_FALSE(declaration.homePoint());
    EXPECT_EQ(declaration.task()->numOfTurnpoints(), 3u);
}

// Nothing of a document that is refused reaches the recorder: a misspelt key or an unknown
// class would otherwise leave the field as it was and the upload say "verified".
TEST(DeclarationJson, RefusesUnknownKeysAndValuesAndFieldsOfTheWrongKindOrOutOfRange) {
    const Json finish{{"name", "F"}, {"latitude", 48.0}, {"longitude", 9.1}};
    const auto task = [&](Json start) { return Json{{"task", {std::move(start), finish}}}; };
    const std::pair<Json, std::string> wrong[] = {
        {Json::array(), "not an object"},
        {Json{{"pilot1", 7}}, "\"pilot1\" must be a text"},
        {Json{{"pilto1", "Ben Ott"}},
         "unknown key \"pilto1\"; the keys are \"pilot1\", \"pilot2\""},
        {Json{{"competitionClass", "Sailplane"}},
         "\"competitionClass\" must be one of \"\", \"Club\", \"Standard\""},
        {Json{{"homePoint", {{"name", "X"}, {"latitude", 91.0}, {"longitude", 0.0}}}},
         "\"latitude\" must be within range"},
        {Json{{"homePoint", {{"name", "X"}, {"latitude", "48"}, {"longitude", 0.0}}}},
         "\"latitude\" must be a number"},
        {Json{{"homePoint", {{"name", "X"}, {"latitude", 48}, {"longitude", 0.0}, {"ozType", 0}}}},
         "unknown key \"ozType\" in homePoint"},
        {task({{"name", "X"}, {"latitude", 48.0}}), "\"longitude\" must be a number"},
        {task({{"name", "X"}, {"latitude", 48.0}, {"longitude", 9.0}, {"cylinderRadius", 0.5}}),
         "\"cylinderRadius\" must be a whole number"},
        {task({{"name", "X"}, {"latitude", 48.0}, {"longitude", 9.0}, {"radius", 500}}),
         "unknown key \"radius\" in task[0]"},
        {task({{"name", "X"}, {"latitude", 48.0}, {"longitude", 9.0}, {"ozType", 2}}),
         "\"task[0].ozType\" must be 0 (cylinder and sector) or 1 (line)"},
        {Json{{"task", {finish}}}, "\"task\" must be empty or hold a start and a finish"},
        {Json{{"task", "KLIPPENE"}}, "\"task\" must be an array"},
    };
    for (const auto& [document, reason] : wrong) {
        Declaration declaration = sampleDeclaration();
        try {
            applyDeclarationJson(document, declaration);
            ADD_FAILURE() << "accepted " << document;
        } catch (const OperationFailure& failure) {
            EXPECT_NE(std::string(failure.what()).find(reason), std::string::npos)
                << failure.what();
        }
    }
}

TEST(CliArguments, AcceptsEachCommandsOwnOptionsOnly) {
    const auto arguments = CliArguments::parse(
        {"download", "--type", "lx", "--port", "/dev/pts/3", "--flight", "2", "--native"});
    EXPECT_EQ(arguments.required("--port"), "/dev/pts/3");
    EXPECT_EQ(arguments.integer("--flight"), 2);
    EXPECT_TRUE(arguments.flag("--native"));
    EXPECT_FALSE(arguments.flag("--no-secure"));

    const std::vector<std::vector<std::string>> wrong{
        {},
        {"erase"},
        {"info", "--type", "lx"},                            // no port
        {"info", "--type", "lx", "--port", "p", "--fixes"},  // another command's flag
        {"convert", "a.cup"},                                // one file of two
        {"igc", "a.igc", "--output"},                        // value missing
    };
    for (const auto& line : wrong) EXPECT_THROW(CliArguments::parse(line), UsageError);
    EXPECT_THROW(CliArguments::parse({"download", "--type", "lx", "--port", "p", "--flight", "2x"})
                     .integer("--flight"),
                 UsageError);
}

}  // namespace
}  // namespace kelvo::cli
