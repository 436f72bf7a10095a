#include "base/TransferRate.h"

#include <algorithm>

#include "base/Format.h"

namespace kelvo {

void TransferRate::update(std::uint64_t bytes, std::optional<double> fraction,
                          Clock::time_point now) {
    if (!m_reports.empty() && bytes < m_reports.back().bytes) m_reports.clear();
    m_reports.push_back({now, bytes});
    // The oldest report kept is the last one at or before the window's start, so the rate
    // spans the whole window, or the gap between two reports when that is longer.
    while (m_reports.size() > 2 && m_reports[1].time <= now - kWindow) m_reports.pop_front();
    m_fraction = fraction;
}

double TransferRate::bytesPerSecond() const {
    if (m_reports.size() < 2) return 0.0;
    const double seconds =
        std::chrono::duration<double>(m_reports.back().time - m_reports.front().time).count();
    const auto bytes = static_cast<double>(m_reports.back().bytes - m_reports.front().bytes);
    return seconds > 0 ? bytes / seconds : 0.0;
}

std::optional<std::chrono::seconds> TransferRate::remaining() const {
    const double rate = bytesPerSecond();
    if (!m_fraction || *m_fraction <= 0.0 || rate <= 0.0) return std::nullopt;
    const double fraction = std::min(*m_fraction, 1.0);
    const auto done = static_cast<double>(m_reports.back().bytes);
    const double left = done * (1.0 - fraction) / fraction;
    return std::chrono::seconds(static_cast<long long>(left / rate + 0.5));
}

std::string TransferRate::text() const {
    const double rate = bytesPerSecond();
    std::string text = rate >= 1000.0 ? stringf("%.1f kB/s", rate / 1000.0) : stringf("%.0f B/s", rate);
    if (const auto left = remaining()) {
        text += stringf(", %lld:%02lld left", static_cast<long long>(left->count() / 60),
                        static_cast<long long>(left->count() % 60));
    }
    return text;
}

}  // namespace kelvo
