#pragma once

#include <filesystem>
#include <string>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/NativeConversion.h"
#include "base/AtomicFile.h"

namespace kelvo::test {

inline const std::string kIgc = "AXTY001\r\nHFDTE140526\r\nB1000004730010N00815000EA0050000500\r\n";

// A family the front ends have never heard of: its native flight is the IGC text behind a
// mark.
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
    bool stillConnected() override { return connected(); }
    void disconnect() override { setConnected(false); }
    Outcome readDirectory(bool) override {
        FlightEntry entry;
        entry.number = "1";
        entry.filename = "7B1T0001.TLY";
        loggerData().setFlightDirectory({entry});
        return Outcome::success();
    }
    Outcome readFile(const std::filesystem::path& path, int, bool, bool translateToIGC,
                     const FlightEntry*) override {
        const std::string text = "TALLY" + kIgc;
        const Bytes native(text.begin(), text.end());
        const bool written = translateToIGC ? writeFileAtomically(path, convert(native).igc)
                                            : writeFileAtomically(path, native);
        return written ? Outcome::success() : Outcome::failure("unwritten");
    }
};

}  // namespace kelvo::test
