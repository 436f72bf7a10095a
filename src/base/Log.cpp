#include "base/Log.h"

#include <cstdio>

namespace kelvo {
namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink& currentSink() {
    static LogSink sink;
    return sink;
}

}  // namespace

void logLine(std::string_view line) {
    std::lock_guard lock(sinkMutex());
    if (currentSink()) {
        currentSink()(std::string(line));
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

void setLogSink(LogSink sink) {
    std::lock_guard lock(sinkMutex());
    currentSink() = std::move(sink);
}

CapturingLogSink::CapturingLogSink() {
    setLogSink([this](const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
    });
}

CapturingLogSink::~CapturingLogSink() { setLogSink({}); }

std::vector<std::string> CapturingLogSink::lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool CapturingLogSink::contains(std::string_view text) const {
    std::lock_guard lock(m_mutex);
    for (const auto& line : m_lines) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

void CapturingLogSink::clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

}  // namespace kelvo
