#include "base/TransferRate.h"

#include "base/Format.h"

namespace kelvo {

void TransferRate::update(std::uint64_t bytes, std::optional<double> fraction,
                          Clock::time_point now) {
    m_bytes = bytes;
    m_fraction = fraction;
    m_elapsed = now - m_start;
}

double TransferRate::bytesPerSecond() const {
    const double seconds = std::chrono::duration<double>(m_elapsed).count();
    return seconds > 0 ? static_cast<double>(m_bytes) / seconds : 0.0;
}

std::optional<std::chrono::seconds> TransferRate::remaining() const {
    if (!m_fraction || *m_fraction <= 0.0 || m_bytes == 0) return std::nullopt;
    const double fraction = std::min(*m_fraction, 1.0);
    const double seconds = std::chrono::duration<double>(m_elapsed).count();
    return std::chrono::seconds(static_cast<long long>(seconds * (1.0 - fraction) / fraction + 0.5));
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
