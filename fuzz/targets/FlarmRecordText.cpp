#include <string>

#include "FuzzTargets.h"
#include "LoggerAccess/Flarm/FlarmRecord.h"
#include "LoggerAccess/Flarm/KelvoFlarm.h"
#include "LoggerAccess/Nmea/NmeaSentence.h"
#include "base/Text.h"
#include "igc/IGCTaskRecord.h"

namespace kelvo::fuzz {

// The texts a device answers: the record information of a flight, the sentences of the text
// mode with their configuration values, and the C lines of a declared task.
int FlarmRecordText(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FlarmRecord::parse(static_cast<int>(size % 256), text);
    if (const auto sentence = NmeaSentence::parse(text)) {
        for (const std::size_t fields : {3u, 5u}) {
            KelvoFlarm::aircraftTypeName(leadingInteger(sentence->fieldsFrom(fields)));
        }
        sentence->fields();
    }
    IGCTaskRecord::taskOf({text, text, text});
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(FlarmRecordText)
