#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo {

// Texts are UTF-8 inside Kelvo; device and file encodings are converted at the edge.

// Every byte decodes: the five undefined codes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 control of the same number, as the common decoders do.
std::string windows1252ToUtf8(std::string_view bytes);

// Characters without a Windows-1252 code become the replacement byte; invalid UTF-8 bytes
// are taken as Windows-1252 already.
std::string utf8ToWindows1252(std::string_view utf8, char replacement = '?');

// True when every character of the UTF-8 text has a Windows-1252 code.
bool fitsWindows1252(std::string_view utf8);

bool isValidUtf8(std::string_view bytes);

// Decodes the UTF-8 sequence at pos (which must lie inside the text) into cp; answers its
// length, or 0 when the sequence is invalid or cut short.
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp);

}  // namespace kelvo
