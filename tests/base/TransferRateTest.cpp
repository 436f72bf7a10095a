#include "base/TransferRate.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// Reports once a second at a steady rate [bytes/s], from the second `from` to `to`; the
// phase of a new transfer counts from 0 again.
struct Phase {
    int from;
    int to;
    std::uint64_t rate;
    bool newTransfer = false;
};

TEST(TransferRate, MeasuresTheLastSecondsOfBytesReceived) {
    constexpr std::uint64_t kTotal = 19200;  // of each transfer, when known
    const struct {
        const char* what;
        std::vector<Phase> phases;
        bool totalKnown;
        const char* text;
    } cases[] = {
        {"nothing moved yet", {}, true, "0 B/s"},
        {"one report gives no rate", {{30, 30, 960}}, true, "0 B/s"},
        // Half a minute passes before the first byte (connect, directory): it does not count.
        {"after a silent start", {{30, 40, 960}}, true, "960 B/s, 0:09 left"},
        {"total unknown", {{30, 40, 1920}}, false, "1.9 kB/s"},
        {"stalled", {{0, 10, 960}, {11, 16, 0}}, true, "0 B/s"},
        {"faster now", {{0, 5, 100}, {6, 12, 900}}, true, "900 B/s, 0:14 left"},
        {"next flight of a batch",
         {{0, 15, 960}, {16, 18, 2000, true}},
         true,
         "2.0 kB/s, 0:07 left"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto start = TransferRate::Clock::time_point{};
        TransferRate rate;
        std::uint64_t bytes = 0;
        for (const Phase& phase : c.phases) {
            if (phase.newTransfer) bytes = 0;
            for (int second = phase.from; second <= phase.to; ++second) {
                bytes += phase.rate;
                const auto fraction =
                    c.totalKnown ? std::optional(double(bytes) / kTotal) : std::nullopt;
                rate.update(bytes, fraction, start + std::chrono::seconds(second));
            }
        }
        EXPECT_EQ(rate.text(), c.text);
    }
}

}  // namespace
}  // namespace kelvo
