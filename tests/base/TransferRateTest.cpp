#include "base/TransferRate.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using namespace std::chrono_literals;

TEST(TransferRate, GivesTheRateAndTheTimeLeftOnceTheTotalIsKnown) {
    const auto start = TransferRate::Clock::time_point{};
    TransferRate rate(start);
    EXPECT_EQ(rate.text(), "0 B/s");
    rate.update(19200, std::nullopt, start + 10s);
    EXPECT_DOUBLE_EQ(rate.bytesPerSecond(), 1920.0);
    EXPECT_EQ(rate.text(), "1.9 kB/s");
    rate.update(19200, 0.25, start + 10s);
    EXPECT_EQ(rate.remaining(), 30s);
    EXPECT_EQ(rate.text(), "1.9 kB/s, 0:30 left");
}

}  // namespace
}  // namespace kelvo
