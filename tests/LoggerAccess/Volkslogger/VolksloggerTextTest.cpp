#include "LoggerAccess/Volkslogger/VolksloggerText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kelvo::vl {
namespace {

TEST(VolksloggerText, UpperCaseAndTrimInPlace) {
    char text[] = "ab1 z\t\r\n ";
    EXPECT_EQ(strupr(text), text);
    EXPECT_EQ(strtrim(text), text);
    EXPECT_STREQ(text, "AB1 Z");
    EXPECT_EQ(strupr(nullptr), nullptr);
}

TEST(VolksloggerText, SerialNumberTextIsThreeBase36DigitsCappedAtZZZ) {
    EXPECT_STREQ(wordtoserno(0), "000");
    EXPECT_STREQ(wordtoserno(1234), "0YA");
    EXPECT_STREQ(wordtoserno(1295), "0ZZ");
    EXPECT_STREQ(wordtoserno(46655), "ZZZ");
    EXPECT_STREQ(wordtoserno(50000), "ZZZ");
}

TEST(VolksloggerText, IgcFilterBlanksForbiddenCharactersAndTrims) {
    std::string text = "A,B*C  ";
    EXPECT_EQ(igc_filter(text), "A B C");
    std::string controls = std::string("X\x01!$\\^~\x7F", 8) + '\0';
    EXPECT_EQ(igc_filter(controls), "X");
    std::string allowed = "\"#%&'()+-./:;<=>?@[]_`{|}";
    EXPECT_EQ(igc_filter(allowed), "\"#%&'()+-./:;<=>?@[]_`{|}");
}

}  // namespace
}  // namespace kelvo::vl
