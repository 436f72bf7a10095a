#include "FuzzTargets.h"
#include "LoggerAccess/LX/LXFaiData.h"

namespace kelvo::fuzz {

// A directory reply holds 96-byte records one after the other; each is read as the flight
// list does.
int LXDirectoryRecord(const std::uint8_t* data, std::size_t size) {
    const ByteSpan reply(data, size);
    for (std::size_t offset = 0; offset < reply.size(); offset += LXFaiData::kSize) {
        const LXFaiData record(reply.subspan(offset));
        record.isOK();
        record.startDate();
        record.stopDate();
        record.durationDescription();
        record.pilotName();
        record.manufacturer();
        record.serialNumberDescription();
        record.fileNameWithExtension();
        record.crcOK();
        record.memory();
        record.logMemoryInfo();
    }
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXDirectoryRecord)
