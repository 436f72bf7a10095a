#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "LoggerAccess/Volkslogger/VLA_XFR.h"
#include "LoggerAccess/Volkslogger/VolksloggerDatabase.h"
#include "LoggerAccess/Volkslogger/VolksloggerDirectory.h"

namespace kelvo::vl {

// The operations the Volkslogger driver calls, each answering a result code (0 success).
// Every read and write first makes sure the recorder is awake (stillconnect).
class VLAPI : public VLA_XFR {
  public:
    static constexpr long kDirectoryBufferSize = 0x14000;
    static constexpr long kFlightBufferSize = 81920;
    static constexpr long kInfoBufferSize = 64;

    struct Info {
        std::uint16_t sessionid = 0;
        std::uint16_t vlserno = 0;
        std::uint8_t fwmajor = 0;
        std::uint8_t fwminor = 0;
        std::uint8_t fwbuild = 0;
        std::uint8_t hwmajor = 0;
        std::uint8_t hwminor = 0;
    };

    ~VLAPI() override;

    int open(int connectNow, std::chrono::milliseconds wait, int quiet, long dataBaud);
    // Only while the recorder is present: optionally says goodbye, then closes the port.
    void close(int sendEndCommand);
    int stillconnect();
    int read_info();
    int read_directory();
    // Writes the flight as an IGC file with its G records; the file appears only when the
    // download and conversion succeeded.
    int read_igcfile(const std::filesystem::path& path, int flightNumber, int secure);
    int read_db_and_declaration();
    int write_db_and_declaration();
    int clear_directory();

    bool vlpresent = false;
    Info vlinfo;
    VolksloggerDatabase database;
    std::vector<DIRENTRY> directory;
};

}  // namespace kelvo::vl
