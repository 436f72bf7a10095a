#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/Format.h"

namespace kelvo {

// The diagnostic log: one line per event, no levels. Lines go to standard error unless a
// sink is installed. Safe to call from any thread.
using LogSink = std::function<void(const std::string& line)>;

void logLine(std::string_view line);

// printf-style convenience: logf("Read %d bytes", n).
template <typename... Args>
void logf(const char* format, Args... args) {
    logLine(stringf(format, args...));
}

// Installs a sink for every later line; an empty sink restores standard error.
void setLogSink(LogSink sink);

// Captures every log line while it lives (tests assert on the given texts).
class CapturingLogSink {
public:
    CapturingLogSink();
    ~CapturingLogSink();
    CapturingLogSink(const CapturingLogSink&) = delete;
    CapturingLogSink& operator=(const CapturingLogSink&) = delete;

    std::vector<std::string> lines() const;
    // True when some line contains the text.
    bool contains(std::string_view text) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

}  // namespace kelvo
