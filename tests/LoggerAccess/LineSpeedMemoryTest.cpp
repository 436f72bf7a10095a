#include "LoggerAccess/LineSpeedMemory.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace kelvo {
namespace {

TEST(LineSpeedMemory, KeepsTheLastSpeedOfEachPortAndIgnoresWhatItDidNotWrite) {
    TempFolder folder;
    const auto file = folder.path() / "state" / "line-speeds";
    const LineSpeedMemory memory(file);
    EXPECT_EQ(memory.speedFor("/dev/ttyUSB0"), 0);
    memory.remember("/dev/ttyUSB0", 19200);
    memory.remember("/dev/ttyUSB1", 9600);
    memory.remember("/dev/ttyUSB0", 38400);
    EXPECT_EQ(memory.speedFor("/dev/ttyUSB0"), 38400);
    EXPECT_EQ(memory.speedFor("/dev/ttyUSB1"), 9600);

    folder.write("garbage", "fast\t/dev/ttyS0\n-5\t/dev/ttyS1\n4800\n");
    EXPECT_EQ(LineSpeedMemory(folder.path() / "garbage").speedFor("/dev/ttyS0"), 0);
    EXPECT_EQ(LineSpeedMemory(folder.path() / "garbage").speedFor("/dev/ttyS1"), 0);
}

}  // namespace
}  // namespace kelvo
