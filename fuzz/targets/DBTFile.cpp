#include "files/DBTFile.h"
#include "FuzzTargets.h"
#include "LoggerAccess/LoggerData.h"

namespace kelvo::fuzz {

// Imports the file, then exports what was read, as a user converting files does.
int DBTFile(const std::uint8_t* data, std::size_t size) {
    kelvo::DBTFile file;
    LoggerData loggerData;
    file.parseData(ByteSpan(data, size), loggerData);
    file.makeDataFromLoggerData(&loggerData);
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(DBTFile)
