#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "../LoggerAccess/TempFolder.h"
#include "base/AtomicFile.h"
#include "base/Delay.h"
#include "base/UtcDate.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesTheTargetOnlyOnCommitAndFailsInAMissingFolder) {
    const TempFolder folder;
    const fs::path& root = folder.path();
    EXPECT_FALSE(writeFileAtomically(root / "none" / "x.cup", std::string_view("x")));
    const fs::path target = root / "flight.igc";
    ASSERT_TRUE(writeFileAtomically(target, std::string_view("old")));
    {
        AtomicFile file(target);
        file.stream() << "half";
        EXPECT_EQ(readText(target), "old");
    }  // dropped without commit
    EXPECT_EQ(readText(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator{}), 1);

    AtomicFile file(target);
    file.stream() << "new";
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(readText(target), "new");
}

TEST(UtcDate, BuildsAndSplitsCalendarTimes) {
    const auto time = utcTime(2009, 10, 7, 9, 5, 0);
    ASSERT_TRUE(time);
    EXPECT_EQ(isoUtc(*time), "2009-10-07T09:05:00Z");
    EXPECT_EQ(secondsOfDay(*time), 9 * 3600 + 5 * 60);
    const UtcFields fields = utcFields(*utcTime(2000, 2, 29, 23, 59, 59));
    EXPECT_EQ(fields.day, 29);
    EXPECT_EQ(fields.second, 59);
    EXPECT_FALSE(utcTime(2001, 2, 29));
    EXPECT_FALSE(utcTime(2001, 13, 1));
    EXPECT_FALSE(utcTime(2001, 1, 1, 24));
}

TEST(Delay, ScaleShortensDelaysAndTimeouts) {
    ScopedDelayScale fast(0.001);
    const auto start = std::chrono::steady_clock::now();
    delaySeconds(2.0);
    delayMilliseconds(1000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(scaledTimeout(std::chrono::milliseconds(2000)).count(), 2);
    EXPECT_EQ(scaledTimeout(std::chrono::milliseconds(10)).count(), 1);
}

}  // namespace
}  // namespace kelvo
