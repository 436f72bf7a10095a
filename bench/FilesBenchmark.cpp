#include <benchmark/benchmark.h>

#include <string>

#include "LoggerAccess/LoggerData.h"
#include "base/Format.h"
#include "files/CUPFile.h"
#include "files/ImportFile.h"

namespace kelvo {
namespace {

// About 1 MB of fixes, the size of a long flight's IGC file.
std::string igcLikeText() {
    std::string text;
    for (int i = 0; i < 28000; ++i) {
        text += stringf("B%06d5206770N00730500EA0012300150\r\n", i % 240000);
    }
    return text;
}

// A national waypoint file: 5000 airfields and outlandings.
Bytes cupFile() {
    std::string text = "name,code,country,lat,lon,elev,style,rwdir,rwlen,rwwidth,freq,desc\r\n";
    for (int i = 0; i < 5000; ++i) {
        text += stringf(
            "\"Field %d, Nord\",\"F%04d\",DE,%02d%02d.%03dN,%03d%02d.%03dE,%d.0m,%d,%d,%d.0m,"
            "30.0m,\"123.500\",\"Grass \"\"strip\"\"\"\r\n",
            i, i, 47 + i % 8, i % 60, i % 1000, 6 + i % 9, (i * 7) % 60, (i * 13) % 1000,
            100 + i % 900, 2 + i % 4, (i * 10) % 360, 400 + i % 1600);
    }
    return Bytes(text.begin(), text.end());
}

void BM_SeparateStringIntoLines(benchmark::State& state) {
    const std::string text = igcLikeText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ImportFile::separateStringIntoArrayOfLines(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SeparateStringIntoLines);

void BM_ParseCUPFile(benchmark::State& state) {
    const Bytes file = cupFile();
    for (auto _ : state) {
        LoggerData data;
        CUPFile().parseData(file, data);
        benchmark::DoNotOptimize(data.waypointCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseCUPFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo
