#include "LoggerAccess/LXNAV/LXNAVRowTransfer.h"

#include <algorithm>

#include "LoggerAccess/LXNAV/LXNAVLink.h"
#include "base/Cancellation.h"
#include "base/Format.h"
#include "base/Log.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kRowsPerRequest = 50;
// The recorder opens the file before it sends the first row, which takes it seconds.
constexpr auto kFirstRowWait = 20s;
constexpr auto kRowWait = 2s;
constexpr int kRequestsWithoutProgress = 2;
// More rows than an IGC file of the largest size Kelvo reads can have.
constexpr long long kMostRows = 2'000'000;

}  // namespace

Outcome LXNAVRowTransfer::fetch(const std::string& file, std::string& contents,
                                const Progress& progress) {
    if (file != m_file) {
        m_file = file;
        m_rows.clear();
        m_count = 0;
        m_bytes = 0;
        m_layout = {};
    } else if (!m_rows.empty()) {
        logf("Resuming %s from row %zu.", file.c_str(), m_rows.size() + 1);
    }
    int fruitless = 0;
    while (m_count == 0 || m_rows.size() < m_count) {
        const std::size_t before = m_rows.size();
        if (!requestRange(file)) return Outcome::cancelled();
        if (m_rows.size() > before) {
            fruitless = 0;
            if (progress) progress(m_bytes, m_rows.size(), m_count);
        } else if (++fruitless >= kRequestsWithoutProgress) {
            return Outcome::failure(
                stringf("the recorder did not send row %zu of %s intact after %d "
                        "requests; the download stopped there",
                        m_rows.size() + 1, file.c_str(), fruitless));
        }
    }
    contents.clear();
    for (const std::string& row : m_rows) contents += row + "\r\n";
    m_file.clear();
    m_rows.clear();
    return Outcome::success();
}

bool LXNAVRowTransfer::requestRange(const std::string& file) {
    const std::size_t first = m_rows.size() + 1;
    const bool opening = m_rows.empty();
    const std::size_t end = opening ? first + 1 : std::min(first + kRowsPerRequest, m_count + 1);
    m_link.send(stringf("FLIGHT,R,%s,%zu,%zu", file.c_str(), first, end));
    // Rows of an earlier request that a Bluetooth link delivers late are passed over, as
    // many as one request brings.
    std::size_t staleRows = 0;
    while (m_rows.size() + 1 < end) {
        if (cancellationRequested()) return false;
        const auto answer = m_link.await({"FLIGHT,A"}, opening ? kFirstRowWait : kRowWait);
        if (!answer) {
            logf("Row %zu of %s did not come.", m_rows.size() + 1, file.c_str());
            break;
        }
        const auto& arguments = answer->arguments;
        const bool complete = arguments.size() >= 3;
        const long long row = complete ? lxnavNumber(arguments[1]).value_or(0) : 0;
        const long long count = complete ? lxnavNumber(arguments[2]).value_or(0) : 0;
        const std::string text = answer->textFrom(3);
        const bool ours = complete && (arguments[0].empty() || arguments[0] == file);
        if (ours && row >= 1 && static_cast<std::size_t>(row) <= m_rows.size() &&
            m_rows[static_cast<std::size_t>(row) - 1] == text && staleRows++ < kRowsPerRequest) {
            continue;
        }
        if (!ours || row < 1 || !accept(text, static_cast<std::size_t>(row), count)) {
            logf("Row %zu of %s damaged or out of order: $%s", m_rows.size() + 1, file.c_str(),
                 answer->body.c_str());
            break;
        }
    }
    if (m_rows.size() + 1 < end) m_link.drainUntilQuiet();
    return true;
}

bool LXNAVRowTransfer::accept(const std::string& row, std::size_t number, long long count) {
    if (number != m_rows.size() + 1 || count < 1 || count > kMostRows ||
        number > static_cast<std::size_t>(count)) {
        return false;
    }
    if (m_count != 0 && static_cast<std::size_t>(count) != m_count) return false;
    LXNAVRowLayout layout = m_layout;
    if (!layout.fits(row) || !layout.learn(row)) return false;
    m_layout = layout;
    m_count = static_cast<std::size_t>(count);
    m_rows.push_back(row);
    m_bytes += row.size() + 2;
    return true;
}

}  // namespace kelvo
