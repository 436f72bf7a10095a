#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "base/Bytes.h"

namespace kelvo::vl {

// One flight of the recorder's directory.
struct DIRENTRY {
    std::uint16_t serno = 0;
    std::tm firsttime = {};  // first fix, UTC
    std::tm lasttime = {};   // last fix, UTC
    int recordingtime = 0;   // [s]
    int takeoff = 0;         // 1 when a take-off was recorded
    char filename[15] = {};
    char pilot[65] = {};
    char competitionid[4] = {};
    char gliderid[8] = {};
};

// Decodes the directory block. Answers the number of flights, or -1 for a malformed block
// or a format this decoder does not know; the entries are appended unless only counting
// (or when entries is null). A block cut anywhere yields the flights completed before.
int conv_dir(std::vector<DIRENTRY>* entries, ByteSpan block, int countOnly);

// The IGC short file name of the entry ("57EA0YA1.IGC"), also stored in the entry.
const char* gen_filename(DIRENTRY* entry, int flightOfDay);

}  // namespace kelvo::vl
