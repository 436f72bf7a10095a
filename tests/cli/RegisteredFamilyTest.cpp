#include <gtest/gtest.h>

#include <sstream>

#include "LoggerAccess/LoggerFactory.h"
#include "TallyLogger.h"
#include "ToolProcess.h"
#include "base/AtomicFile.h"
#include "cli/KelvoCli.h"
#include "cli/LoggerSession.h"

namespace kelvo::cli::test {
namespace {

namespace fs = std::filesystem;
using kelvo::test::kIgc;
using kelvo::test::TallyLogger;

TEST(RegisteredFamily, DownloadsAndConvertsWithoutTheCommandLineNamingIt) {
    const ToolEnvironment environment;
    const fs::path before = fs::current_path();
    fs::current_path(environment.folder());
    LoggerSession::registry().registerLogger<TallyLogger>();
    const auto run = [](std::vector<std::string> arguments, const std::string& option = "",
                        int status = 0) {
        if (!option.empty()) arguments.push_back(option);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(KelvoCli(out, err).run(arguments), status) << err.str();
        return out.str() + err.str();
    };
    const std::vector<std::string> download = {"download", "--type",   "tally", "--port",
                                               "t0",       "--flight", "1"};
    EXPECT_EQ(run(download), "7B1T0001.IGC\n");
    EXPECT_EQ(readFile("7B1T0001.IGC"), kIgc);
    // A file under the name is never replaced silently.
    EXPECT_EQ(run(download),
              "7B1T0001.IGC\nkelvo-cli: 7B1T0001.IGC holds this flight already; "
              "not written\n");
    writeFileAtomically("7B1T0001.IGC", std::string("other"));
    EXPECT_EQ(run(download, "", 1),
              "kelvo-cli: 7B1T0001.IGC exists with other content; --replace replaces it, "
              "--keep-both keeps both\n");
    EXPECT_EQ(run(download, "--keep-both"), "7B1T0001 (2).IGC\n");
    EXPECT_EQ(readFile("7B1T0001.IGC"), "other");
    EXPECT_EQ(run(download, "--replace"), "7B1T0001.IGC\n");
    EXPECT_EQ(readFile("7B1T0001.IGC"), kIgc);
    EXPECT_EQ(readFile("7B1T0001 (2).IGC"), kIgc);
    std::vector<std::string> native = download;
    native.push_back("--native");
    EXPECT_EQ(run(native), "7B1T0001.TLY\n");
    EXPECT_EQ(readFile("7B1T0001.TLY"), "TALLY" + kIgc);
    run({"convert", "7B1T0001.TLY", "converted.igc"});
    EXPECT_EQ(readFile("converted.igc"), kIgc);
    fs::current_path(before);
}

}  // namespace
}  // namespace kelvo::cli::test
