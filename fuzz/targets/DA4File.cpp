#include "files/DA4File.h"
#include "FuzzTargets.h"
#include "LoggerAccess/LoggerData.h"

namespace kelvo::fuzz {

// Imports the file, then exports what was read, as a user converting files does.
int DA4File(const std::uint8_t* data, std::size_t size) {
    kelvo::DA4File file;
    LoggerData loggerData;
    file.parseData(ByteSpan(data, size), loggerData);
    file.makeDataFromLoggerData(&loggerData);
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(DA4File)
