#include "geo/Declaration.h"

#include <gtest/gtest.h>

#include "geo/Task.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

std::int32_t classOf(std::string_view text) {
    Declaration declaration;
    declaration.setCompetitionClass(7);
    declaration.setCompetitionClassDescription(text);
    return declaration.competitionClass();
}

TEST(Declaration, ReadsTheClassFromFreeTextInSeveralLanguages) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"Clubklasse", 1}, {"KLUB", 1}, {"club class", 1}, {"Standardklasse", 2},
        {"Rennklasse", 3}, {"EIGHTEEN", 4}, {"Doppelsitzer", 5}, {"Biplace", 5},
        {"Unlimited", 6}, {"Wereldklasse", 7}, {"Turbo", 8}, {"Vintage", 9}, {"", 0},
        {"Offene Klasse", 0}, {"Sailplane", 0},
        // The first matching group decides mixed texts.
        {"Open 18m", 4}, {"Oldtimer Club", 1}, {"Motorsegler 15m", 3}, {"Twin Standard", 2}};
    for (const auto& [text, index] : cases) EXPECT_EQ(classOf(text), index) << text;
    const auto& names = Declaration::competitionClassNames();
    ASSERT_EQ(names.size(), 10u);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(classOf(names[i]), static_cast<std::int32_t>(i)) << names[i];
}

TEST(Declaration, DescribesOnlyClassesOfTheList) {
    Declaration declaration;
    declaration.setCompetitionClass(3);
    EXPECT_EQ(declaration.competitionClassDescription(), "15 Meter");
    for (std::int32_t index : {-1, 10, 1000}) {
        declaration.setCompetitionClass(index);
        EXPECT_EQ(declaration.competitionClass(), index);
        EXPECT_EQ(declaration.competitionClassDescription(), "");
    }
}

TEST(Declaration, ClearKeepsTaskAndFlagAndTextsAreTrimmed) {
    Declaration declaration;
    declaration.setGliderID(" D-1234\t");
    EXPECT_EQ(declaration.gliderID(), "D-1234");
    declaration.setPilot4("Co");
    declaration.setCompetitionClass(2);
    declaration.setHomePoint(Waypoint::fromDegrees("HOME", 47, 8, 400));
    auto task = std::make_shared<Task>();
    declaration.setTask(task);
    declaration.setLXFlag(0x5A);

    declaration.clear();
    EXPECT_EQ(declaration.pilot1() + declaration.pilot2() + declaration.pilot3() +
                  declaration.pilot4() + declaration.gliderID() + declaration.gliderType() +
                  declaration.competitionID() + declaration.competitionClassDescription(),
              "");
    EXPECT_EQ(declaration.homePoint(), nullptr);
    EXPECT_EQ(declaration.task(), task);
    EXPECT_EQ(declaration.lxFlag(), 0x5A);
}

}  // namespace
}  // namespace kelvo
