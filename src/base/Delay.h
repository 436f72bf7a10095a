#pragma once

#include <chrono>

namespace kelvo {

// The one pacing facility of every link layer ("wait 50 ms"). Tests set a scale factor
// so the protocols run quickly; the order of events stays the same.
void delaySeconds(double seconds);
void delayMilliseconds(long milliseconds);
void delayMicroseconds(long microseconds);

// 1.0 by default; 0.01 makes every delay and scaled time-out a hundred times shorter.
void setDelayScale(double scale);
double delayScale();

// Sets the scale from the environment variable KELVO_DELAY_SCALE when it holds a positive
// number, so that tests can run the command-line tools' protocols quickly.
void setDelayScaleFromEnvironment();

// A requested cancellation (base/Cancellation.h) ends a pause early.

// A device time-out shortened by the same scale (never below one millisecond), so a
// silent device ends an operation quickly in tests and after the real bound otherwise.
std::chrono::milliseconds scaledTimeout(std::chrono::milliseconds timeout);

// Sets the scale for the lifetime of a scope (test fixtures).
class ScopedDelayScale {
public:
    explicit ScopedDelayScale(double scale);
    ~ScopedDelayScale();
    ScopedDelayScale(const ScopedDelayScale&) = delete;
    ScopedDelayScale& operator=(const ScopedDelayScale&) = delete;

private:
    double m_previous;
};

}  // namespace kelvo
