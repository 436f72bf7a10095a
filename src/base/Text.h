#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// Spaces and tabs removed at both ends (the data model's getters trim exactly these).
std::string trimSpacesAndTabs(std::string_view text);

std::string toUpperAscii(std::string_view text);
std::string toLowerAscii(std::string_view text);
bool containsIgnoringCase(std::string_view text, std::string_view part);
bool isAscii(std::string_view text);

// The leading integer or decimal number of a text, after leading white space; trailing
// junk is ignored and a text with nothing readable gives 0 (as C's atoi and atof).
long long leadingInteger(std::string_view text);
double leadingDouble(std::string_view text);

// Splits at every separator; empty fields are kept.
std::vector<std::string> splitAt(std::string_view text, char separator);

}  // namespace kelvo
