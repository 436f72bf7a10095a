#include "files/AsciiText.h"

#include "base/Windows1252.h"

namespace kelvo {
namespace {

// Base letters of U+00C0..U+017F (Latin-1 letters and Latin Extended-A), one per code point.
constexpr std::string_view kLatinBaseLetters =
    "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTs"
    "aaaaaaaceeeeiiiidnooooo/ouuuuyty"
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
constexpr char32_t kFirstLatinLetter = 0xC0;
static_assert(kLatinBaseLetters.size() == 0x180 - kFirstLatinLetter);

char asciiFor(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp >= kFirstLatinLetter && cp - kFirstLatinLetter < kLatinBaseLetters.size()) {
        return kLatinBaseLetters[cp - kFirstLatinLetter];
    }
    return '?';
}

}  // namespace

std::string asciiTransliteration(std::string_view utf8) {
    std::string ascii;
    ascii.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        ascii += length == 0 ? '?' : asciiFor(cp);
        pos += length == 0 ? 1 : length;
    }
    return ascii;
}

}  // namespace kelvo
