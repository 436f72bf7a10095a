#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// One fault of an IGC file's structure: the line it stands on (1-based; 0 for the file as
// a whole) and a short reason a pilot can read.
struct IGCProblem {
    std::size_t line = 0;
    std::string reason;

    // "line 12: B record time goes back from 10:00:05 to 10:00:01"
    std::string text() const;
    bool operator==(const IGCProblem&) const = default;
};

// Checks the structure a scorer expects of an IGC file: the A record first, the HFDTE date
// before the first fix, the I and J records before the records they lay out, every B
// record in the announced layout with valid fields and times that only go forward (one
// step back over midnight is allowed), C records as one complete declaration block, lines
// that end in CR LF or LF (not CR alone) and are at most 76 characters long (I, J and L
// records excepted: their length is their content's), and nothing but G records after the
// first G record. It checks structure only; the G record's signature is the recorder's.
class IGCCheck {
  public:
    // Files above this size are refused unread.
    static constexpr std::uintmax_t kMaxFileSize = 64u * 1024 * 1024;
    // A broken file stops being listed after this many problems (the last entry says so).
    static constexpr std::size_t kMaxProblems = 50;

    // The problems of the text in line order; empty for a sound file.
    static std::vector<IGCProblem> checkText(std::string_view text);
    // The problems of the file; a file that cannot be read is one problem at line 0.
    static std::vector<IGCProblem> checkFile(const std::filesystem::path& path);
};

}  // namespace kelvo
