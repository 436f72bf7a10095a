#include "LoggerAccess/Volkslogger/GRECORD.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvo::vl {
namespace {

std::string gRecords(const Bytes& data, long length) {
    std::ostringstream out;
    print_g_record(out, data, length);
    return out.str();
}

TEST(GRecord, EncodesTriplesInTheSixBitAlphabet) {
    const std::uint8_t a[3] = {0x10, 0x41, 0x42};
    const std::uint8_t b[3] = {0x2A, 0x5F, 0xFF};
    EXPECT_EQ(std::string(byte_bas64(a).data(), 4), "4452");
    EXPECT_EQ(std::string(byte_bas64(b).data(), 4), "@`zz");
}

TEST(GRecord, PadsTheLastGroupAndLine) {
    EXPECT_EQ(gRecords({0, 0, 0}, 3), "G0000zzzz\r\n");
    EXPECT_EQ(gRecords({0, 0}, 2), "G003z\r\n");
    EXPECT_EQ(gRecords({}, 0), "");
    EXPECT_EQ(gRecords({1, 2, 3}, 0), "");
    EXPECT_EQ(gRecords({0, 0}, 100), "G003z\r\n");  // never past the data
}

TEST(GRecord, WritesLinesOf72Characters) {
    const std::string one = gRecords(Bytes(54, 0xFF), 54);
    EXPECT_EQ(one, "G" + std::string(72, 'z') + "\r\n");
    const std::string two = gRecords(Bytes(57, 0x00), 57);
    EXPECT_EQ(two, "G" + std::string(72, '0') + "\r\nG0000zzzz\r\n");
}

}  // namespace
}  // namespace kelvo::vl
