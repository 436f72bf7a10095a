#include "base/Bytes.h"

#include <gtest/gtest.h>

#include "base/Crc16.h"

namespace kelvo {
namespace {

TEST(ByteFields, ReadBothByteOrdersAndRefuseFieldsPastTheEnd) {
    const Bytes record = {0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(getU16BE(record, 0), 0x1234);
    EXPECT_EQ(getU16LE(record, 0), 0x3412);
    EXPECT_EQ(getU24BE(record, 1), 0x345678u);
    EXPECT_EQ(getU32BE(record, 1), 0x3456789Au);
    EXPECT_EQ(getU32LE(record, 0), 0x78563412u);
    EXPECT_EQ(getU32BE(record, 2), 0u);                   // one byte short
    EXPECT_EQ(getU16BE(record, SIZE_MAX), 0u);            // offset overflow
    EXPECT_EQ(getText(record, 7, 4), "");
}

TEST(ByteFields, WriteRoundTripsAndLeaveShortRecordsAlone) {
    Bytes record(8, 0xEE);
    putU16BE(record, 0, 0xBEEF);
    putU32LE(record, 2, 0x01020304);
    putF32LE(record, 6, 1.0f);  // does not fit: two bytes left
    EXPECT_EQ(record, (Bytes{0xBE, 0xEF, 0x04, 0x03, 0x02, 0x01, 0xEE, 0xEE}));
    Bytes floats(4);
    putF32LE(floats, 0, -12.5f);
    EXPECT_FLOAT_EQ(getF32LE(floats, 0), -12.5f);
}

TEST(ByteFields, TextsAreCutPaddedAndEndAtNul) {
    Bytes record(6, 0xFF);
    putText(record, 1, 4, "WESEL", ' ');
    EXPECT_EQ(getText(record, 1, 4), "WESE");
    putText(record, 0, 6, "AB");
    EXPECT_EQ(record, (Bytes{'A', 'B', 0, 0, 0, 0}));
    EXPECT_EQ(getText(record, 0, 6), "AB");
}

TEST(ByteReader, StopsAtTheEndAndRemembersIt) {
    const Bytes data = {1, 2, 3};
    ByteReader reader(data);
    EXPECT_EQ(reader.u16LE(), 0x0201);
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.u16BE(), 0);  // one byte left: refused, nothing consumed
    EXPECT_FALSE(reader.ok());
    EXPECT_EQ(reader.remaining(), 1u);
    EXPECT_EQ(reader.u8(), 3);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_TRUE(reader.bytes(1).empty());
    EXPECT_FALSE(reader.seek(4));
}

TEST(ByteWriter, WritesFieldsInTheirOrder) {
    ByteWriter writer;
    writer.u16BE(0x0102);
    writer.u16LE(0x0304);
    writer.u24BE(0x050607);
    writer.text("AB", 3, ' ');
    EXPECT_EQ(writer.data(), (Bytes{1, 2, 4, 3, 5, 6, 7, 'A', 'B', ' '}));
}

TEST(Crc16, MatchesTheXmodemCheckValue) {
    const std::string check = "123456789";
    const Bytes bytes(check.begin(), check.end());
    EXPECT_EQ(crc16(bytes), 0x31C3);
    // A block followed by its CRC, high byte first, checks to zero.
    Bytes block = bytes;
    block.push_back(0x31);
    block.push_back(0xC3);
    EXPECT_EQ(crc16(block), 0);
}

}  // namespace
}  // namespace kelvo
