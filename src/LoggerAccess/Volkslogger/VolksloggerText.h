#pragma once

#include <cstdint>
#include <string>

// Small text helpers shared by the Volkslogger records, directory and IGC writer. They keep
// their traditional C names, so they live in their own namespace.
namespace kelvo::vl {

// Upper-cases ASCII letters in place; answers its argument (null stays null).
char* strupr(char* text);

// The number in the radix (2..36, 0 meaning 10) with lower-case digits and a leading '-'
// for negative signed values. A null buffer or a bad radix answers null and writes nothing;
// otherwise the buffer, which must hold the digits, the sign and the NUL.
char* utoa(unsigned value, char* buffer, int radix);
char* itoa(int value, char* buffer, int radix);
char* ltoa(long value, char* buffer, int radix);

// Removes trailing characters with codes of 32 and below; answers its argument.
char* strtrim(char* text);

// The three-character base-36 serial number text ("0YA"), capped at "ZZZ". The text lives
// in a per-thread buffer that the next call overwrites.
const char* wordtoserno(std::uint16_t serialNumber);

// Replaces every character an IGC text field must not hold with a space, then removes
// trailing characters with codes of 32 and below; answers its argument.
std::string& igc_filter(std::string& text);

}  // namespace kelvo::vl
