#include <gtest/gtest.h>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXMemory.h"
#include "base/Log.h"

namespace kelvo {
namespace {

const Bytes kAbc = {'a', 'b', 'c'};

TEST(CRC8, RunningRegisterAgreesWithRangeAndRangeLeavesRegisterAlone) {
    CRC8 crc;
    for (const auto byte : kAbc) EXPECT_EQ(crc.calc_crc(byte), byte);
    EXPECT_EQ(crc.get_crc(), 0x97);
    CRC8 fresh;
    EXPECT_EQ(fresh.calc_crc(kAbc), 0x97);
    EXPECT_EQ(fresh.get_crc(), 0xFF);
}

TEST(CRC8, CheckComparesLastByteAndLogsMismatch) {
    CapturingLogSink log;
    CRC8 crc;
    EXPECT_TRUE(crc.check_crc(Bytes{'a', 'b', 'c', 0x97}));
    EXPECT_FALSE(crc.check_crc(Bytes{'a', 'b', 'c', 0x12}));
    EXPECT_TRUE(log.contains("Calculated crc = 0x97; actual crc = 0x12."));
    EXPECT_FALSE(crc.check_crc(Bytes{}));
}

TEST(LXMemory, StoresPositionsBigEndianAndSwapsThemInPlace) {
    LXMemory memory;
    memory.setStartPos(0x1234);
    memory.setStartPage(9);
    memory.setEndPos(0x0102);
    memory.setEndPage(10);
    EXPECT_EQ(memory.getData(), (std::array<std::uint8_t, 6>{0x12, 0x34, 9, 0x01, 0x02, 10}));
    memory.swap();
    EXPECT_EQ(memory.getData(), (std::array<std::uint8_t, 6>{0x34, 0x12, 9, 0x02, 0x01, 10}));
    EXPECT_EQ(LXMemory(Bytes{0x00, 0x64, 8, 0x4E, 0x20, 8}).endPos(), 20000);
}

}  // namespace
}  // namespace kelvo
