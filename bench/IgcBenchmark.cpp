#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Format.h"
#include "igc/KelvoTrace.h"

namespace kelvo {
namespace {

// What differs between recorders' files: the B record extensions (the I record, with the
// bytes each extension takes), the line end and the length of the G block.
struct RecorderStyle {
    const char* iRecord;
    int extensionBytes;
    const char* lineEnd;
};

const RecorderStyle kStyles[] = {
    {"I013638FXA", 3, "\r\n"},
    {"I053638FXA3940SIU4143ENL4447TAS4853GSP", 18, "\r\n"},
    {"I023638FXA3941ENL", 6, "\n"},
    {"I083638FXA3941ENL4246TAS4751GSP5254TRT5559VAT6063OAT6467MOP", 32, "\n"},
};

// A flight file as recorders write them: header, task, a fix a second with its extensions,
// an event and a K record now and then, comment lines, and a G block of 1,000 lines.
Bytes realisticFlight(std::size_t targetBytes, const RecorderStyle& style) {
    const std::string end = style.lineEnd;
    std::string text = "AXKV001 FLIGHT:1" + end + "HFDTEDATE:150708,01" + end +
                       "HFPLTPILOTINCHARGE:J\xe9r\xf4me Dupr\xe9" + end + "HFGTYGLIDERTYPE:LS8-18" +
                       end + "HFGIDGLIDERID:D-5408" + end + "HFCIDCOMPETITIONID:K8" + end +
                       style.iRecord + end + "J010812HDT" + end +
                       "C150708105512150708000104Lakes 300" + end +
                       "C5206343N00006198WTAKEOFF Home" + end + "C5230000N00130000ETP1 North" +
                       end + "C5206343N00006198WLANDING Home" + end + "LXKVPILOT NOTE: ridge" + end;
    const std::string extensions(static_cast<std::size_t>(style.extensionBytes), '0');
    for (int i = 0; text.size() + 80'000 < targetBytes; ++i) {
        const int clock = 8 * 3600 + i;
        const int latitude = 5200000 + i % 60000;         // DDMMmmm
        const int longitude = 100000 + (i * 3) % 150000;  // DDDMMmmm
        const int altitude = 1000 + (i % 600);
        text += stringf("B%02d%02d%02d%07dN%08dEA%05d%05d", clock / 3600, clock / 60 % 60,
                        clock % 60, latitude, longitude, altitude - 30, altitude) +
                extensions + end;
        if (i % 600 == 0)
            text += stringf("E%02d%02d%02dPEV", clock / 3600, clock / 60 % 60, 0) + end;
        if (i % 60 == 0)
            text += stringf("K%02d%02d%02d090", clock / 3600, clock / 60 % 60, 0) + end;
    }
    for (int i = 0; i < 1000; ++i) {
        text += stringf("G%016X%016X%016X%08X", i * 2654435761u, i * 40503u, ~i, i) + end;
    }
    return Bytes(text.begin(), text.end());
}

// Every recorder style at file sizes from 0.3 to 2 MB.
const std::vector<Bytes>& realisticFlights() {
    static const std::vector<Bytes> flights = [] {
        std::vector<Bytes> files;
        for (const std::size_t size : {300'000, 700'000, 1'200'000, 2'000'000}) {
            for (const RecorderStyle& style : kStyles)
                files.push_back(realisticFlight(size, style));
        }
        return files;
    }();
    return flights;
}

void BM_KelvoTraceParsesRealisticFlights(benchmark::State& state) {
    std::size_t bytes = 0;
    std::size_t fixes = 0;
    std::size_t fixBytes = 0;
    for (auto _ : state) {
        for (const Bytes& data : realisticFlights()) {
            KelvoTrace trace(data, "flight.igc");
            bytes += data.size();
            fixes += trace.points().size();
            fixBytes += trace.points().capacity() * sizeof(TracePosition);
            benchmark::DoNotOptimize(trace.points().data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["files"] = static_cast<double>(realisticFlights().size());
    state.counters["bytes_per_fix"] = static_cast<double>(fixBytes) / static_cast<double>(fixes);
}
BENCHMARK(BM_KelvoTraceParsesRealisticFlights)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo
