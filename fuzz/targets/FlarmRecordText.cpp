#include <string>

#include "FuzzTargets.h"
#include "LoggerAccess/Flarm/FlarmRecord.h"
#include "LoggerAccess/Flarm/KelvoFlarm.h"
#include "LoggerAccess/Flarm/textcomm.h"
#include "base/Text.h"

namespace kelvo::fuzz {

// The texts a device answers: the record information of a flight and the configuration
// answers of the text mode.
int FlarmRecordText(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FlarmRecord::parse(static_cast<int>(size % 256), text);
    for (const int commas : {1, 3}) {
        const std::string value = flarm::textcomm::extractValue(text, commas);
        KelvoFlarm::aircraftTypeName(leadingInteger(value));
    }
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(FlarmRecordText)
