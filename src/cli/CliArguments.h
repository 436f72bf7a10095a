#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo::cli {

// A command line that makes no sense: exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An operation that failed: exit status 1.
class OperationFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The arguments of one kelvo-cli run: the command, its positional arguments, the options
// that take a value and the flags. Each command accepts only its own options; --json and
// --verbose are accepted by every command.
class CliArguments {
  public:
    // Throws UsageError for an unknown command or option, a missing value, a missing
    // required option or the wrong number of positional arguments.
    static CliArguments parse(const std::vector<std::string>& arguments);
    static const char* usage();

    const std::string& command() const { return m_command; }
    const std::vector<std::string>& positionals() const { return m_positionals; }
    bool flag(const std::string& name) const { return m_flags.contains(name); }
    std::optional<std::string> value(const std::string& name) const;
    // The value of a required option (parse has checked that it is there).
    const std::string& required(const std::string& name) const;
    // The value read as a whole decimal number; UsageError otherwise.
    std::optional<int> integer(const std::string& name) const;

  private:
    std::string m_command;
    std::vector<std::string> m_positionals;
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
};

}  // namespace kelvo::cli
