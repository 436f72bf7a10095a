#include <gtest/gtest.h>

#include "base/Text.h"
#include "base/Windows1252.h"

namespace kelvo {
namespace {

TEST(Text, TrimsOnlySpacesAndTabs) {
    EXPECT_EQ(trimSpacesAndTabs(" \t Hockenheim\t "), "Hockenheim");
    EXPECT_EQ(trimSpacesAndTabs("\nA\n"), "\nA\n");
    EXPECT_EQ(trimSpacesAndTabs("   "), "");
}

TEST(Text, LeadingNumbersIgnoreJunkAndLocale) {
    EXPECT_EQ(leadingInteger("  42abc"), 42);
    EXPECT_EQ(leadingInteger("-7"), -7);
    EXPECT_EQ(leadingInteger("x1"), 0);
    EXPECT_DOUBLE_EQ(leadingDouble("07.054N"), 7.054);
    EXPECT_DOUBLE_EQ(leadingDouble("+3.5"), 3.5);
    EXPECT_DOUBLE_EQ(leadingDouble(""), 0.0);
    EXPECT_DOUBLE_EQ(leadingDouble("1e3m"), 1000.0);
}

TEST(Text, SplitKeepsEmptyFieldsAndCaseHelpersWork) {
    EXPECT_EQ(splitAt("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(toUpperAscii("Club-Klasse ä"), "CLUB-KLASSE ä");
    EXPECT_TRUE(containsIgnoringCase("Std Cirrus", "CIRRUS"));
    EXPECT_FALSE(isAscii("Köln"));
}

TEST(Windows1252, ConvertsBothWays) {
    EXPECT_EQ(windows1252ToUtf8("K\xF6ln \x80"), "Köln €");
    EXPECT_EQ(utf8ToWindows1252("Köln €"), "K\xF6ln \x80");
    EXPECT_EQ(utf8ToWindows1252("Łódź"), "?\xF3" "d?");
    EXPECT_TRUE(fitsWindows1252("Zürich – Š"));
    EXPECT_FALSE(fitsWindows1252("Łódź"));
    EXPECT_TRUE(isValidUtf8("Łódź"));
    EXPECT_FALSE(isValidUtf8("K\xF6ln"));
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));  // overlong NUL
    // Every byte survives a round trip.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(all)), all);
}

}  // namespace
}  // namespace kelvo
