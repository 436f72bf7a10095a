#include "LoggerAccess/Volkslogger/VolksloggerText.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kelvo::vl {
namespace {

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// The characters an IGC text field may hold.
constexpr std::string_view kIgcAllowed =
    " \"#%&'()+-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]_`abcdefghijklmnopqrstuvwxyz{|}";

int effectiveRadix(int radix) {
    return radix == 0 ? 10 : radix;
}
bool radixOk(int radix) {
    return radix >= 2 && radix <= 36;
}

// Digits of the magnitude, then the sign, then reversed into place.
char* writeNumber(unsigned long magnitude, bool negative, char* buffer, int radix) {
    char* out = buffer;
    do {
        *out++ = kDigits[magnitude % static_cast<unsigned>(radix)];
        magnitude /= static_cast<unsigned>(radix);
    } while (magnitude != 0);
    if (negative) *out++ = '-';
    *out = '\0';
    std::reverse(buffer, out);
    return buffer;
}

char* signedToText(long value, char* buffer, int radix) {
    radix = effectiveRadix(radix);
    if (buffer == nullptr || !radixOk(radix)) return nullptr;
    const unsigned long magnitude =
        value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    return writeNumber(magnitude, value < 0, buffer, radix);
}

}  // namespace

char* strupr(char* text) {
    if (text == nullptr) return nullptr;
    for (char* c = text; *c != '\0'; ++c) {
        if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
    }
    return text;
}

char* utoa(unsigned value, char* buffer, int radix) {
    radix = effectiveRadix(radix);
    if (buffer == nullptr || !radixOk(radix)) return nullptr;
    return writeNumber(value, false, buffer, radix);
}

char* itoa(int value, char* buffer, int radix) {
    return signedToText(value, buffer, radix);
}

char* ltoa(long value, char* buffer, int radix) {
    return signedToText(value, buffer, radix);
}

char* strtrim(char* text) {
    if (text == nullptr) return nullptr;
    std::size_t length = std::strlen(text);
    while (length > 0 && static_cast<unsigned char>(text[length - 1]) <= 32) --length;
    text[length] = '\0';
    return text;
}

const char* wordtoserno(std::uint16_t serialNumber) {
    thread_local char text[4];
    char digits[8];
    strupr(utoa(std::min<unsigned>(serialNumber, 46655), digits, 36));
    const std::size_t length = std::strlen(digits);  // 1 to 3 once capped
    std::memset(text, '0', 3);
    std::memcpy(text + 3 - length, digits, length);
    text[3] = '\0';
    return text;
}

std::string& igc_filter(std::string& text) {
    for (char& c : text) {
        if (kIgcAllowed.find(c) == std::string_view::npos) c = ' ';
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.pop_back();
    return text;
}

}  // namespace kelvo::vl
