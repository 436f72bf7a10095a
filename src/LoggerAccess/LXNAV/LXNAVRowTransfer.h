#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "LoggerAccess/LXNAV/LXNAVRowLayout.h"
#include "LoggerAccess/Outcome.h"

namespace kelvo {

class LXNAVLink;

// A flight fetched as the rows of its IGC file, a range of rows a request: the way every
// firmware knows. Rows must come in order under an unchanged row count; a row missing,
// damaged, out of order or longer than its I/J layout allows makes the port drained and the
// range asked for again from the first missing row. Two requests in a row without a good row
// fail the download, and the rows that came stay for the next attempt in the connection.
class LXNAVRowTransfer {
  public:
    // The bytes and rows so far and the row count (0: not known yet).
    using Progress = std::function<void(std::uint64_t bytes, std::size_t rows, std::size_t count)>;

    explicit LXNAVRowTransfer(LXNAVLink& link) : m_link(link) {}

    // The file as the recorder keeps it: the rows joined by CR LF.
    Outcome fetch(const std::string& file, std::string& contents, const Progress& progress);

  private:
    // Requests the rows from the first missing one and takes what comes in order; false
    // when cancelled.
    bool requestRange(const std::string& file);
    // Takes the row when it is the next one, under the same count and fits its layout.
    bool accept(const std::string& row, std::size_t number, long long count);

    LXNAVLink& m_link;
    // What came of the last file asked for, kept to resume it.
    std::string m_file;
    std::vector<std::string> m_rows;
    std::size_t m_count = 0;
    std::uint64_t m_bytes = 0;  // of the rows, with their line ends
    LXNAVRowLayout m_layout;
};

}  // namespace kelvo
