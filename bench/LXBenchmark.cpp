#include <benchmark/benchmark.h>

#include <cmath>

#include "LoggerAccess/LX/LXTrackFile.h"
#include "sim/LX/LXNativeFlightEncoder.h"

namespace {

// Ten hours at one fix per second with FXA, ENL and VAR in every B record; a new origin
// every ten minutes, as a recorder writes one before the 16-bit offsets run out.
kelvo::Bytes tenHourFlight() {
    kelvo::sim::LXNativeFlightEncoder flight;
    flight.flightNumber(1)
        .date(7, 10, 2009)
        .recorderIdentification("LXNAVNANO")
        .flightInformation({"Hans", "LS8", "D-1234", "XY", 0, 100, 25, "uBlox"})
        .bExtensionMask(0x6001)
        .kExtensionMask(0x0001);
    constexpr std::uint32_t kStart = 9 * 3600;
    for (std::uint32_t second = 0; second < 10 * 3600; ++second) {
        const auto latitude = static_cast<std::int32_t>(2850000 + 3000 * std::sin(second / 900.0));
        const auto longitude = static_cast<std::int32_t>(495000 + second);
        if (second % 600 == 0) flight.origin(kStart + second, latitude, longitude);
        flight.fix(kStart + second, latitude, longitude, 1200, 1250)
            .bExtensionValues({25, static_cast<std::uint16_t>(second % 300), 2});
        if (second % 60 == 0) flight.kExtensionValues(0, {25});
    }
    flight.security(0x0D, kelvo::Bytes(64, 0xAB)).end();
    return flight.secureBytes();
}

void BM_LXNativeFlightToIgc(benchmark::State& state) {
    const kelvo::Bytes native = tenHourFlight();
    for (auto _ : state) {
        kelvo::LXTrackFile file(native);
        file.translateToIGC();
        benchmark::DoNotOptimize(file.igcData().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * native.size()));
    state.counters["native_bytes"] = static_cast<double>(native.size());
}
BENCHMARK(BM_LXNativeFlightToIgc)->Unit(benchmark::kMillisecond);

}  // namespace
