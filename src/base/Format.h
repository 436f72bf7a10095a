#pragma once

#include <string>

namespace kelvo {

// snprintf into a std::string. The formats of the file writers and device texts are used
// exactly as they stand, so this is the one place that turns them into text.
std::string stringf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kelvo
