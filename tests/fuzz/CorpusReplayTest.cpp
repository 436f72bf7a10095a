#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "base/Log.h"

namespace {

struct FuzzTarget {
    std::string name;
    kelvo::fuzz::Target entry;
};

std::vector<FuzzTarget> allTargets() {
    return {
#define KELVO_LIST_FUZZ_TARGET(name) {#name, &kelvo::fuzz::name},
        KELVO_FUZZ_TARGETS(KELVO_LIST_FUZZ_TARGET)
#undef KELVO_LIST_FUZZ_TARGET
    };
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CorpusReplay : public testing::TestWithParam<FuzzTarget> {};

// Every seed and every input that once made a target fail stays in its corpus folder, so
// the sanitizer build keeps proving that none of them crashes or trips a sanitizer again.
TEST_P(CorpusReplay, RunsEveryInputOfTheTargetsCorpus) {
    const std::filesystem::path folder =
        std::filesystem::path(KELVO_FUZZ_CORPUS_DIR) / GetParam().name;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty()) << "no seeds in " << folder;

    const kelvo::CapturingLogSink log;
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<std::uint8_t> bytes = readFile(input);
        EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0);
    }
    // The empty input is every decoder's first edge case.
    EXPECT_EQ(GetParam().entry(nullptr, 0), 0);

    // Seeded mutations of every input (bytes changed, then the input cut short) reach the
    // paths between the seeds on every run, as the fuzzer would.
    std::mt19937 random(20260706);
    for (const auto& input : inputs) {
        const std::vector<std::uint8_t> seed = readFile(input);
        for (int round = 0; round < 1000 && !seed.empty(); ++round) {
            std::vector<std::uint8_t> bytes = seed;
            for (unsigned edits = 1 + random() % 16; edits > 0; --edits)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
            bytes.resize(round % 2 ? bytes.size() : random() % (bytes.size() + 1));
            EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FuzzTargets, CorpusReplay, testing::ValuesIn(allTargets()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
