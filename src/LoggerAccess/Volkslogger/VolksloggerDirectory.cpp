#include "LoggerAccess/Volkslogger/VolksloggerDirectory.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "LoggerAccess/Volkslogger/VolksloggerStream.h"
#include "LoggerAccess/Volkslogger/VolksloggerText.h"

namespace kelvo::vl {
namespace {

constexpr char kBase36[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::size_t kPilotPiece = 16;

enum DirectoryField : std::uint8_t {
    kPilot1 = 1,
    kPilot4 = 4,
    kGliderId = 6,
    kCompetitionId = 7,
    kRecorderInfo = 80,
    kTakeoff = 97,
};

std::tm brokenDown(std::chrono::sys_seconds time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm fields{};
    gmtime_r(&seconds, &fields);
    return fields;
}

// Copies at most limit characters of the data (up to a NUL) into a fixed array.
template <std::size_t N>
void copyText(char (&target)[N], ByteSpan data, std::size_t limit) {
    const std::string text = getText(data, 0, std::min(limit, N - 1));
    std::memcpy(target, text.c_str(), text.size() + 1);
}

bool sameDay(const std::tm& a, const std::tm& b) {
    return a.tm_mday == b.tm_mday && a.tm_mon == b.tm_mon && a.tm_year == b.tm_year;
}

// The entry under construction while the block is walked.
struct DirectoryWalk {
    DIRENTRY entry;
    char pieces[4][kPilotPiece + 1] = {};
    std::chrono::sys_seconds dateTime{};  // no date record yet: 1 January 1970
    int flightOfDay = 0;
    std::tm previousFirst = {};
    bool havePrevious = false;

    void startFlight() {
        entry.serno = 0;
        entry.takeoff = 0;
        entry.filename[0] = '\0';
        entry.pilot[0] = '\0';
        for (auto& piece : pieces) piece[0] = '\0';
    }

    void data(const DataRecord& record) {
        if (record.id >= kPilot1 && record.id <= kPilot4) {
            copyText(pieces[record.id - kPilot1], record.data, kPilotPiece);
        } else if (record.id == kGliderId) {
            copyText(entry.gliderid, record.data, 7);
        } else if (record.id == kCompetitionId) {
            copyText(entry.competitionid, record.data, 3);
        } else if (record.id == kRecorderInfo) {
            entry.serno = getU16BE(record.data, 0);
        } else if (record.id == kTakeoff) {
            entry.takeoff = 1;
        }
    }

    void finishFlight(ByteSpan endRecord) {
        const long recording = getU24BE(endRecord, 1);
        const long offset = getU24BE(endRecord, 4);
        const auto first = dateTime - std::chrono::seconds(offset);
        entry.firsttime = brokenDown(first);
        entry.lasttime = brokenDown(first + std::chrono::seconds(recording));
        entry.recordingtime = static_cast<int>(recording);
        entry.pilot[0] = '\0';
        for (const auto& piece : pieces) std::strcat(entry.pilot, piece);
        flightOfDay = havePrevious && sameDay(entry.firsttime, previousFirst) ? flightOfDay + 1 : 1;
        previousFirst = entry.firsttime;
        havePrevious = true;
        gen_filename(&entry, flightOfDay);
    }
};

}  // namespace

int conv_dir(std::vector<DIRENTRY>* entries, ByteSpan block, int countOnly) {
    const bool store = entries != nullptr && countOnly == 0;
    StreamReader reader(block, kDirectoryEndRecordSize);
    DirectoryWalk walk;
    int count = 0;
    while (const auto record = reader.next()) {
        switch (record->recordClass) {
            case kStartRecord:
                if (reader.formatVersion() > kHighestFormatVersion) return -1;
                walk.startFlight();
                break;
            case kTimedDataRecord:
            case kDataRecord:
                walk.data(decodeDataRecord(*record));
                break;
            case kDateRecord:
                walk.dateTime = decodeDateRecord(record->bytes).time(true);
                break;
            case kEndRecord:
                if (store) {
                    walk.finishFlight(record->bytes);
                    entries->push_back(walk.entry);
                }
                ++count;
                break;
            default:  // positions and fillers
                break;
        }
    }
    return reader.stop() == StreamReader::Stop::Malformed ? -1 : count;
}

const char* gen_filename(DIRENTRY* entry, int flightOfDay) {
    const std::tm& first = entry->firsttime;
    const int year = first.tm_year + 1900;
    char* name = entry->filename;
    name[0] = static_cast<char>('0' + (year % 10 + 10) % 10);
    name[1] = kBase36[std::clamp(first.tm_mon + 1, 0, 35)];
    name[2] = kBase36[std::clamp(first.tm_mday, 0, 35)];
    name[3] = 'A';
    std::memcpy(name + 4, wordtoserno(entry->serno), 3);
    name[7] = flightOfDay >= 0 && flightOfDay < 36 ? kBase36[flightOfDay] : '_';
    std::memcpy(name + 8, ".IGC", 5);
    return name;
}

}  // namespace kelvo::vl
