#include "base/Delay.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "base/Cancellation.h"
#include "base/Text.h"

namespace kelvo {
namespace {

std::atomic<double> g_scale{1.0};

// Long pauses sleep in slices, so a cancelled operation leaves them early.
constexpr std::chrono::milliseconds kSlice{50};

void sleepScaled(std::chrono::duration<double, std::micro> duration) {
    using Clock = std::chrono::steady_clock;
    const auto scaled = std::chrono::duration_cast<std::chrono::microseconds>(duration * g_scale.load());
    const auto end = Clock::now() + scaled;
    for (auto left = scaled; left.count() > 0 && !cancellationRequested();
         left = std::chrono::duration_cast<std::chrono::microseconds>(end - Clock::now())) {
        std::this_thread::sleep_for(std::min<std::chrono::microseconds>(left, kSlice));
    }
}

}  // namespace

void delaySeconds(double seconds) { sleepScaled(std::chrono::duration<double>(seconds)); }

void delayMilliseconds(long milliseconds) {
    sleepScaled(std::chrono::duration<double, std::milli>(milliseconds));
}

void delayMicroseconds(long microseconds) {
    sleepScaled(std::chrono::duration<double, std::micro>(microseconds));
}

void setDelayScale(double scale) { g_scale.store(std::max(0.0, scale)); }

double delayScale() { return g_scale.load(); }

void setDelayScaleFromEnvironment() {
    const char* text = std::getenv("KELVO_DELAY_SCALE");
    if (text == nullptr) return;
    const double scale = leadingDouble(text);
    if (scale > 0.0) setDelayScale(scale);
}

std::chrono::milliseconds scaledTimeout(std::chrono::milliseconds timeout) {
    const auto scaled = static_cast<long long>(static_cast<double>(timeout.count()) * g_scale.load());
    return std::chrono::milliseconds(std::max<long long>(1, scaled));
}

ScopedDelayScale::ScopedDelayScale(double scale) : m_previous(delayScale()) {
    setDelayScale(scale);
}

ScopedDelayScale::~ScopedDelayScale() { setDelayScale(m_previous); }

}  // namespace kelvo
