#include "base/FileName.h"

#include <algorithm>

namespace kelvo {
namespace {

constexpr std::size_t kMaxFileName = 200;

bool isSafe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-' || c == '_';
}

bool isLetterOrDigit(char c) {
    return isSafe(c) && c != '.' && c != '-' && c != '_';
}

// Empty when no letter or digit is left.
std::string cleaned(std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        if (!isSafe(c)) c = '_';
    }
    safe.erase(0, safe.find_first_not_of("._"));
    safe.resize(std::min(safe.size(), kMaxFileName));
    return std::any_of(safe.begin(), safe.end(), isLetterOrDigit) ? safe : std::string();
}

}  // namespace

std::string safeFileName(std::string_view name, std::string_view fallback) {
    std::string safe = cleaned(name);
    if (safe.empty()) safe = cleaned(fallback);
    return safe.empty() ? std::string("flight") : safe;
}

}  // namespace kelvo
