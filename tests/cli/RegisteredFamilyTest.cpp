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
    // The same flight is not written again under another name.
    EXPECT_EQ(run(download, "--keep-both"),
              "7B1T0001 (2).IGC\nkelvo-cli: 7B1T0001 (2).IGC holds this flight already; "
              "not written\n");
    fs::remove("7B1T0001 (2).IGC");
    // A link under the name is a file of other content, even one that leads nowhere.
    fs::remove("7B1T0001.IGC");
    fs::create_symlink("nowhere.IGC", "7B1T0001.IGC");
    EXPECT_EQ(run(download, "", 1),
              "kelvo-cli: 7B1T0001.IGC exists with other content; --replace replaces it, "
              "--keep-both keeps both\n");
    EXPECT_EQ(run(download, "--replace"), "7B1T0001.IGC\n");
    EXPECT_EQ(readFile("7B1T0001.IGC"), kIgc);
    // The output's name says its format, and a folder that is not there is named.
    std::vector<std::string> native = download;
    native.push_back("--native");
    std::vector<std::string> nativeAsIgc = native;
    nativeAsIgc.insert(nativeAsIgc.end(), {"--output", "x.IGC"});
    EXPECT_NE(run(nativeAsIgc, "", 2)
                  .find("--native writes the recorder's own format: the "
                        "output must end in .TLY"),
              std::string::npos);
    std::vector<std::string> intoMissingFolder = download;
    intoMissingFolder.insert(intoMissingFolder.end(), {"--output", "missing/x.IGC"});
    EXPECT_EQ(run(intoMissingFolder, "", 1), "kelvo-cli: the folder missing does not exist\n");
    EXPECT_FALSE(fs::exists("x.IGC"));
    EXPECT_EQ(run(native), "7B1T0001.TLY\n");
    EXPECT_EQ(readFile("7B1T0001.TLY"), "TALLY" + kIgc);
    run({"convert", "7B1T0001.TLY", "converted.igc"});
    EXPECT_EQ(readFile("converted.igc"), kIgc);
    // A conversion follows the rule of downloads.
    EXPECT_EQ(run({"convert", "7B1T0001.TLY", "converted.igc"}),
              "converted.igc\nkelvo-cli: converted.igc holds the same contents already; not "
              "written\n");
    writeFileAtomically("converted.igc", std::string("other"));
    EXPECT_EQ(run({"convert", "7B1T0001.TLY", "converted.igc"}, "", 1),
              "kelvo-cli: converted.igc exists with other content; --replace replaces it, "
              "--keep-both keeps both\n");
    EXPECT_EQ(run({"convert", "7B1T0001.TLY", "converted.igc"}, "--keep-both"),
              "converted (2).igc\n");
    fs::current_path(before);
}

}  // namespace
}  // namespace kelvo::cli::test
