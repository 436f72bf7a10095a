#include <benchmark/benchmark.h>

#include <sstream>

#include "LoggerAccess/Volkslogger/GRECORD.h"
#include "LoggerAccess/Volkslogger/VolksloggerConversion.h"
#include "base/UtcDate.h"
#include "sim/Volkslogger/VolksloggerFlight.h"

namespace {

using namespace kelvo;

// A ten-hour flight with one fix a second, converted to IGC text with its G records.
void BM_VolksloggerTenHourFlightToIgc(benchmark::State& state) {
    const Bytes data =
        sim::encodeFlight(sim::syntheticFlight(*utcTime(2009, 10, 7, 8, 0, 0), 10 * 3600, 1));
    for (auto _ : state) {
        std::ostringstream out;
        const long covered = vl::convert_gcs(0, out, data, 1, nullptr, nullptr);
        vl::print_g_record(out, data, covered);
        benchmark::DoNotOptimize(out.tellp());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
    state.counters["flight_bytes"] = static_cast<double>(data.size());
}
BENCHMARK(BM_VolksloggerTenHourFlightToIgc)->Unit(benchmark::kMillisecond);

}  // namespace
