#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>

#include "base/Format.h"
#include "igc/Logbook.h"
#include "sim/demo/DemoContent.h"
#include "sim/demo/DemoFlightSimulator.h"
#include "sim/demo/DemoIgc.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// KELVO_BENCH_LOGBOOK_FLIGHTS sets the size of the flights folder (10,000 by default).
std::size_t flightCount() {
    const char* count = std::getenv("KELVO_BENCH_LOGBOOK_FLIGHTS");
    return count != nullptr ? static_cast<std::size_t>(std::atol(count)) : 10'000;
}

// Cross-country flights of one to five hours at one or two seconds per fix, each flown in
// its own weather: the demo recorder's tasks, pilot and glider.
std::vector<std::string> flightFiles() {
    const auto demo = sim::DemoContent::make(sim::DemoSize::Realistic);
    std::vector<std::string> files;
    for (int seed = 1; seed <= 24; ++seed) {
        sim::DemoFlight flight = demo.flights[static_cast<std::size_t>(seed) % demo.flights.size()];
        const sys_seconds takeoff = floor<days>(flight.firstFix()) + days{seed} + hours{10};
        flight.interval = 1 + seed % 2;
        flight.fixes.clear();
        flight.events.clear();
        sim::DemoFlightSimulator(static_cast<std::uint64_t>(seed), flight.interval)
            .fly(flight, takeoff);
        files.push_back(sim::demoIgcFile(flight, sim::DemoRecorder{}));
    }
    return files;
}

// A flights folder of flightCount() files, a folder per year, made once per run and removed
// at its end.
class FlightsFolder {
  public:
    FlightsFolder() {
        std::string pattern = (fs::temp_directory_path() / "kelvo-logbook-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
        m_root = pattern;
        const auto files = flightFiles();
        for (std::size_t i = 0; i < flightCount(); ++i) {
            const fs::path file = m_root / "flights" / stringf("%zu", 2000 + i / 500) /
                                  stringf("flight-%05zu.igc", i);
            fs::create_directories(file.parent_path());
            const std::string& text = files[i % files.size()];
            std::ofstream(file, std::ios::binary)
                .write(text.data(), static_cast<std::streamsize>(text.size()));
            m_bytes += text.size();
        }
    }
    ~FlightsFolder() { fs::remove_all(m_root); }

    Logbook logbook() const { return Logbook(m_root / "flights", indexFile()); }
    fs::path indexFile() const { return m_root / "cache/logbook.index"; }
    std::size_t bytes() const { return m_bytes; }

  private:
    fs::path m_root;
    std::size_t m_bytes = 0;
};

FlightsFolder& folder() {
    static FlightsFolder flights;
    return flights;
}

void BM_LogbookScanWithColdIndex(benchmark::State& state) {
    for (auto _ : state) {
        fs::remove(folder().indexFile());
        Logbook book = folder().logbook();
        benchmark::DoNotOptimize(book.scan().size());
        state.counters["files_read"] = static_cast<double>(book.filesRead());
    }
    state.counters["flights"] = static_cast<double>(flightCount());
    state.counters["MB"] = static_cast<double>(folder().bytes()) / 1e6;
}
BENCHMARK(BM_LogbookScanWithColdIndex)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

void BM_LogbookScanWithWarmIndex(benchmark::State& state) {
    folder().logbook().scan();
    for (auto _ : state) {
        Logbook book = folder().logbook();
        benchmark::DoNotOptimize(book.scan().size());
        state.counters["files_read"] = static_cast<double>(book.filesRead());
    }
    state.counters["flights"] = static_cast<double>(flightCount());
}
BENCHMARK(BM_LogbookScanWithWarmIndex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace kelvo
