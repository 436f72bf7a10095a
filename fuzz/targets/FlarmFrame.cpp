#include "FuzzTargets.h"
#include "LoggerAccess/Flarm/binarycomm.h"

namespace kelvo::fuzz {

// The input is what the device sent; frames are received one after the other until the
// bytes run out, as a download does.
int FlarmFrame(const std::uint8_t* data, std::size_t size) {
    std::size_t position = 0;
    const flarm::binarycomm::ByteSource source = [&](std::uint8_t& byte) {
        if (position >= size) return false;
        byte = data[position++];
        return true;
    };
    flarm::Message message;
    while (position < size) flarm::binarycomm::receiveFrame(source, message);
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(FlarmFrame)
