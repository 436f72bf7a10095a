#include "sim/MemoryPort.h"

#include <algorithm>
#include <utility>

namespace kelvo::sim {

bool MemoryPort::open(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    if (m_refusal) {
        setLastError(*m_refusal);
        return false;
    }
    setLastError({});
    m_path = path;
    m_open = true;
    return true;
}

void MemoryPort::close() {
    {
        const std::lock_guard lock(m_mutex);
        m_open = false;
    }
    m_arrived.notify_all();
}

bool MemoryPort::isOpen() const {
    const std::lock_guard lock(m_mutex);
    return m_open;
}

bool MemoryPort::setSpeed(int baud) {
    const std::lock_guard lock(m_mutex);
    if (!m_open) return false;
    m_speed = standardSpeedAtOrBelow(baud);
    m_speeds.push_back(m_speed);
    return true;
}

int MemoryPort::speed() const {
    const std::lock_guard lock(m_mutex);
    return m_speed;
}

std::size_t MemoryPort::write(ByteSpan bytes) {
    Responder responder;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_open) return 0;
        m_written.insert(m_written.end(), bytes.begin(), bytes.end());
        const bool dead = m_dropAfter && m_sentToHost >= *m_dropAfter;
        if (!dead) responder = m_responder;
    }
    if (responder) sendToHost(responder(bytes));
    return bytes.size();
}

std::size_t MemoryPort::read(MutableByteSpan buffer, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    while (m_open) {
        const auto now = Clock::now();
        if (!m_toHost.empty() && m_toHost.front().at <= now) return takeArrivedLocked(buffer);
        if (now >= deadline) break;
        const auto wake = m_toHost.empty() ? deadline : std::min(deadline, m_toHost.front().at);
        m_arrived.wait_until(lock, wake);
    }
    return 0;
}

bool MemoryPort::flush(Queue queue) {
    const std::lock_guard lock(m_mutex);
    if (queue != Queue::Output) {
        // Bytes still on the wire at the line rate arrive after the flush.
        const auto now = Clock::now();
        while (!m_toHost.empty() && m_toHost.front().at <= now) m_toHost.pop_front();
    }
    return m_open;
}

void MemoryPort::setResponder(Responder responder) {
    const std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void MemoryPort::sendToHost(ByteSpan bytes) {
    {
        const std::lock_guard lock(m_mutex);
        queueLocked(bytes);
    }
    m_arrived.notify_all();
}

void MemoryPort::refuseOpen(std::string reason) {
    const std::lock_guard lock(m_mutex);
    m_refusal = std::move(reason);
}

void MemoryPort::setSilent(bool silent) {
    const std::lock_guard lock(m_mutex);
    m_silent = silent;
}

void MemoryPort::corruptAt(std::size_t offset) {
    const std::lock_guard lock(m_mutex);
    m_corruptOffset = offset;
}

void MemoryPort::dropAfter(std::size_t count) {
    const std::lock_guard lock(m_mutex);
    m_dropAfter = count;
}

void MemoryPort::setLineRate(int bytesPerSecond) {
    const std::lock_guard lock(m_mutex);
    m_lineRate = std::max(bytesPerSecond, 0);
}

void MemoryPort::setLink(LinkKind kind, std::uint64_t seed) {
    const std::lock_guard lock(m_mutex);
    m_link = std::make_unique<LinkShaper>(LinkProfile::of(kind), seed, Clock::now());
}

Bytes MemoryPort::written() const {
    const std::lock_guard lock(m_mutex);
    return m_written;
}

std::vector<int> MemoryPort::speeds() const {
    const std::lock_guard lock(m_mutex);
    return m_speeds;
}

std::string MemoryPort::openedPath() const {
    const std::lock_guard lock(m_mutex);
    return m_path;
}

// Each byte is sent one byte time after the one before it, or at once without a rate, and
// arrives when the link delivers it.
void MemoryPort::queueLocked(ByteSpan bytes) {
    if (m_silent) return;
    const auto byteTime = m_lineRate > 0 ? std::chrono::nanoseconds(1'000'000'000 / m_lineRate)
                                         : std::chrono::nanoseconds(0);
    m_lineFreeAt = std::max(m_lineFreeAt, Clock::now());
    for (std::uint8_t byte : bytes) {
        if (m_dropAfter && m_sentToHost >= *m_dropAfter) return;
        if (m_sentToHost == m_corruptOffset) byte ^= 0xFF;
        m_lineFreeAt += byteTime;
        m_toHost.push_back({byte, m_link ? m_link->deliveryTime(m_lineFreeAt) : m_lineFreeAt});
        ++m_sentToHost;
    }
}

std::size_t MemoryPort::takeArrivedLocked(MutableByteSpan buffer) {
    const auto now = Clock::now();
    std::size_t count = 0;
    while (count < buffer.size() && !m_toHost.empty() && m_toHost.front().at <= now) {
        buffer[count++] = m_toHost.front().byte;
        m_toHost.pop_front();
    }
    return count;
}

}  // namespace kelvo::sim
