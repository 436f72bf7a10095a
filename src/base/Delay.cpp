#include "base/Delay.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "base/Text.h"

namespace kelvo {
namespace {

std::atomic<double> g_scale{1.0};

void sleepScaled(std::chrono::duration<double, std::micro> duration) {
    const auto scaled = duration * g_scale.load();
    if (scaled.count() > 0) {
        std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(scaled));
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
