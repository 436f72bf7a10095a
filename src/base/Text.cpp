#include "base/Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kelvo {

std::string trimSpacesAndTabs(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return toLowerAscii(text).find(toLowerAscii(part)) != std::string::npos;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

namespace {

// The number's text after leading white space and a plus sign (which from_chars refuses).
std::string_view numberStart(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos < text.size() && text[pos] == '+') ++pos;
    return text.substr(pos);
}

}  // namespace

// from_chars reads independently of the process locale (the GUI sets one with a decimal
// comma in some countries) and never past the view.
long long leadingInteger(std::string_view text) {
    const std::string_view number = numberStart(text);
    long long value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return value;
}

double leadingDouble(std::string_view text) {
    const std::string_view number = numberStart(text);
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value,
                    std::chars_format::general);
    return value;
}

std::vector<std::string> splitAt(std::string_view text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        fields.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return fields;
}

}  // namespace kelvo
