#include <benchmark/benchmark.h>

#include "igc/IGCCheck.h"
#include "sim/demo/DemoContent.h"
#include "sim/demo/DemoIgc.h"

namespace kelvo {
namespace {

// The check of the longest demo flight (3.3 hours at 1 to 4 s per fix), as the viewer runs
// it on every selection and a download on every file.
void BM_IGCCheckOfLongestDemoFlight(benchmark::State& state) {
    const auto content = sim::DemoContent::make(sim::DemoSize::Realistic);
    std::string text;
    for (const auto& flight : content.flights) {
        std::string igc = sim::demoIgcFile(flight, {});
        if (igc.size() > text.size()) text = std::move(igc);
    }
    std::size_t problems = 0;
    for (auto _ : state) problems = IGCCheck::checkText(text).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["file_bytes"] = static_cast<double>(text.size());
    state.counters["problems"] = static_cast<double>(problems);
}
BENCHMARK(BM_IGCCheckOfLongestDemoFlight)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo
