#include <gtest/gtest.h>

#include <sstream>

#include "LoggerAccess/LoggerFactory.h"
#include "ToolProcess.h"
#include "base/AtomicFile.h"
#include "cli/KelvoCli.h"
#include "cli/LoggerSession.h"

namespace kelvo::cli::test {
namespace {

namespace fs = std::filesystem;

const std::string kIgc = "AXTY001\r\nHFDTE140526\r\nB1000004730010N00815000EA0050000500\r\n";

// A family kelvo-cli has never heard of: its native flight is the IGC text behind a mark.
class TallyLogger : public Logger {
  public:
    TallyLogger() { TallyLogger::fillCapabilities(); }

    static std::string loggerName() { return "Tally"; }
    static char loggerChar() { return 'T'; }
    static std::string nativeTrackFileExtension() { return "TLY"; }
    static int connectionType() { return 1; }
    static NativeToIGC nativeToIGC() { return convert; }

    static NativeConversion convert(ByteSpan flight) {
        const std::string text(flight.begin(), flight.end());
        if (!text.starts_with("TALLY")) return {"", "no tally mark"};
        return {text.substr(5), ""};
    }

    void fillCapabilities() override {
        Logger::fillCapabilities();
        mutableCapabilities().supportsIGCFile = true;
        mutableCapabilities().hasNativeFile = true;
    }
    Outcome connect(const std::string&) override {
        setConnected(true);
        return Outcome::success();
    }
    void disconnect() override { setConnected(false); }
    Outcome readDirectory(bool) override {
        FlightEntry entry;
        entry.number = "1";
        entry.filename = "7B1T0001.TLY";
        setFlightDirectory({entry});
        return Outcome::success();
    }
    Outcome readFile(const fs::path& path, int, bool, bool translateToIGC,
                     const FlightEntry*) override {
        const std::string text = "TALLY" + kIgc;
        const Bytes native(text.begin(), text.end());
        const bool written = translateToIGC ? writeFileAtomically(path, convert(native).igc)
                                            : writeFileAtomically(path, native);
        return written ? Outcome::success() : Outcome::failure("unwritten");
    }
};

TEST(RegisteredFamily, DownloadsAndConvertsWithoutTheCommandLineNamingIt) {
    const ToolEnvironment environment;
    const fs::path before = fs::current_path();
    fs::current_path(environment.folder());
    LoggerSession::registry().registerLogger<TallyLogger>();
    const auto run = [](const std::vector<std::string>& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(KelvoCli(out, err).run(arguments), 0) << err.str();
        return out.str();
    };
    const std::vector<std::string> download = {"download", "--type",   "tally", "--port",
                                               "t0",       "--flight", "1"};
    EXPECT_EQ(run(download), "7B1T0001.IGC\n");
    EXPECT_EQ(readFile("7B1T0001.IGC"), kIgc);
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
