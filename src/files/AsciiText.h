#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// The UTF-8 text in plain ASCII for records that hold only ASCII names: Latin letters with
// diacritics become their base letter (Łódź -> Lodz, Čáslav -> Caslav), every other
// non-ASCII character becomes '?', so a name is converted rather than dropped. Invalid
// UTF-8 bytes also become '?'.
std::string asciiTransliteration(std::string_view utf8);

}  // namespace kelvo
