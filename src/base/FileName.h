#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// A file name that a recorder (or any other outside source) gave, made safe to use as one
// file in a folder the pilot chose: every byte other than an ASCII letter, a digit, '.',
// '-' or '_' becomes '_' (so '/', '\\', spaces and control characters cannot name another
// folder or confuse a shell), leading dots and '_' are dropped (no hidden files, no "." or
// "..", and "../A.IGC" or "/A.IGC" become "A.IGC"), and the name is cut to 200 characters
// so that a temporary name beside it still fits the file system's 255. A name without a letter or digit left answers the fallback, itself
// made safe (and "flight" when even that has none).
std::string safeFileName(std::string_view name, std::string_view fallback);

}  // namespace kelvo
