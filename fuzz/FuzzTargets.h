#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Log.h"

// Every fuzz target of the project. Each one takes one input of untrusted bytes and must
// neither crash, hang nor trip a sanitizer on any of them. The libFuzzer executables call
// one of them from LLVMFuzzerTestOneInput; the corpus replay test calls all of them.
#define KELVO_FUZZ_TARGETS(X) \
    X(CoordinateText)         \
    X(IGCReader)              \
    X(LXNativeConverter)      \
    X(LXDirectoryRecord)      \
    X(LXFlightRecord)         \
    X(VolksloggerImage)       \
    X(VolksloggerDirectory)   \
    X(VolksloggerFlight)      \
    X(FlarmFrame)             \
    X(FlarmRecordText)        \
    X(CUPFile)                \
    X(DBTFile)                \
    X(DA4File)                \
    X(LXTurnpointRecord)      \
    X(LXRouteRecord)          \
    X(LXTaskRecord)           \
    X(LXIdentificationReply)

namespace kelvo::fuzz {

using Target = int (*)(const std::uint8_t* data, std::size_t size);

#define KELVO_DECLARE_FUZZ_TARGET(name) int name(const std::uint8_t* data, std::size_t size);
KELVO_FUZZ_TARGETS(KELVO_DECLARE_FUZZ_TARGET)
#undef KELVO_DECLARE_FUZZ_TARGET

// Silences the diagnostic log for the rest of the process: the decoders log every malformed
// record, and a fuzzer feeds little else.
inline void silenceLog() {
    static const bool silenced = [] {
        setLogSink([](const std::string&) {});
        return true;
    }();
    (void)silenced;
}

}  // namespace kelvo::fuzz

// The libFuzzer entry of a target; the replay test builds without it.
#ifdef KELVO_LIBFUZZER
#define KELVO_LIBFUZZER_ENTRY(name)                                                     \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        kelvo::fuzz::silenceLog();                                                      \
        return kelvo::fuzz::name(data, size);                                           \
    }
#else
#define KELVO_LIBFUZZER_ENTRY(name)
#endif
