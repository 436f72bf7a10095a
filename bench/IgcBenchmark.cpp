#include <benchmark/benchmark.h>

#include "base/Format.h"
#include "igc/KelvoTrace.h"

namespace kelvo {
namespace {

// A 10-hour flight at one fix per second with 18 bytes of B extensions per fix (about
// 2 MB), circling slowly north-east from 52 N 0 W.
Bytes syntheticTenHourFlight() {
    std::string text =
        "AXKV001\r\nHFDTEDATE:150708,01\r\nHFPLTPILOTINCHARGE:Jane Doe\r\n"
        "HFGTYGLIDERTYPE:LS8\r\nI053638FXA3940SIU4143ENL4447TAS4853GSP\r\n"
        "C5206343N00006198WTAKEOFF\r\nC5230000N00130000ETP1\r\n";
    constexpr int kFixes = 10 * 3600;
    for (int i = 0; i < kFixes; ++i) {
        const int clock = 8 * 3600 + i;
        const int latitude = 5200000 + i % 60000;         // DDMMmmm
        const int longitude = 100000 + (i * 3) % 150000;  // DDDMMmmm
        const int altitude = 1000 + (i % 600);
        text += stringf("B%02d%02d%02d%07dN%08dEA%05d%05d%03d%02d%03d%04d%06d\r\n", clock / 3600,
                        clock / 60 % 60, clock % 60, latitude, longitude, altitude - 30, altitude,
                        35, 9, 12, 900 + i % 100, 95000 + i % 1000);
    }
    text += "GA1B2C3D4E5F60718293A4B5C6D7E8F90\r\n";
    return Bytes(text.begin(), text.end());
}

void BM_KelvoTraceParsesTenHourFlight(benchmark::State& state) {
    const Bytes data = syntheticTenHourFlight();
    std::size_t fixes = 0;
    std::size_t fixBytes = 0;
    for (auto _ : state) {
        KelvoTrace trace(data, "synthetic.igc");
        fixes = trace.points().size();
        fixBytes = trace.points().capacity() * sizeof(TracePosition);
        benchmark::DoNotOptimize(trace.points().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["fixes"] = static_cast<double>(fixes);
    state.counters["file_bytes"] = static_cast<double>(data.size());
    state.counters["bytes_per_fix"] = static_cast<double>(fixBytes) / static_cast<double>(fixes);
}
BENCHMARK(BM_KelvoTraceParsesTenHourFlight)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo
