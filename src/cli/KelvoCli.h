#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "igc/LogbookDownload.h"

namespace kelvo {
class LoggerData;
struct LoggerDescriptor;
struct LogbookEntry;
}  // namespace kelvo

namespace kelvo::cli {

// The scriptable front end: runs one command against a recorder or on files, writes its
// result to out (one JSON document with --json) and answers the exit status: 0 success,
// 1 the operation failed (one line on err saying what), 2 a usage error.
class KelvoCli {
  public:
    KelvoCli(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    int run(const std::vector<std::string>& arguments);

  private:
    void dispatch();
    void ports();
    void info();
    void flights();
    void download();
    void downloadNew();
    void database();
    void declaration();
    void upload();
    void convert();
    void convertNativeFlight(const LoggerDescriptor& family, const std::filesystem::path& input,
                             const std::filesystem::path& output);
    void igc();
    void exportFlight();
    void logbook();
    void printLogbookText(const std::filesystem::path& folder,
                          const std::vector<LogbookEntry>& entries);
    void check();
    void warnOfProblems(const std::filesystem::path& igcFile);
    // What download does with a file of other content under its name: what --replace or
    // --keep-both says, else keep it (and fail).
    LogbookDownload::ExistingFileQuestion existingFileChoice() const;

    bool json() const { return m_arguments.flag("--json"); }
    bool secure() const { return !m_arguments.flag("--no-secure"); }

    std::ostream& m_out;
    std::ostream& m_err;
    CliArguments m_arguments;
};

}  // namespace kelvo::cli
