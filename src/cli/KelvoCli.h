#pragma once

#include <filesystem>
#include <functional>
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
    // The IGC text of a native flight; fails on an incomplete one unless --partial.
    std::string convertNativeFlight(const LoggerDescriptor& family,
                                    const std::filesystem::path& input);
    void igc();
    void exportFlight();
    void logbook();
    void printLogbookText(const std::filesystem::path& folder,
                          const std::vector<LogbookEntry>& entries);
    void check();
    void warnOfProblems(const std::filesystem::path& igcFile);
    // What a command does with a file of other content under its output's name: what
    // --replace or --keep-both says, else keep it (and fail).
    ExistingFileQuestion existingFileChoice() const;
    // Says where the output went; a file of other content kept at the target fails the
    // command.
    void reportPlacement(Placement placement, const std::filesystem::path& target,
                         const std::filesystem::path& file, const char* contents);
    // Writes the output under a name of its own beside it (write answers whether all went
    // well) and places it by the rule of downloads; answers the file that holds it.
    std::filesystem::path writeOutput(
        const std::filesystem::path& output,
        const std::function<bool(const std::filesystem::path&)>& write);

    bool json() const { return m_arguments.flag("--json"); }
    bool secure() const { return !m_arguments.flag("--no-secure"); }

    std::ostream& m_out;
    std::ostream& m_err;
    CliArguments m_arguments;
};

}  // namespace kelvo::cli
