#include "cli/CliArguments.h"

#include <algorithm>
#include <charconv>

namespace kelvo::cli {

namespace {

struct CommandSyntax {
    std::string name;
    std::vector<std::string> required;  // options with a value that must be given
    std::vector<std::string> optional;  // options with a value that may be given
    std::vector<std::string> flags;
    std::size_t positionals = 0;
    std::size_t optionalPositionals = 0;  // that may follow the required ones
};

// A recorder command needs the port; without --type the family is found by trying them,
// without --speed the line speed by trying those the family talks at.
const std::vector<std::string> kPort{"--port"};
const std::vector<std::string> kConnection{"--type", "--speed"};
// As many files as a shell passes.
constexpr std::size_t kAnyNumberOfFiles = 1u << 20;

std::vector<std::string> join(std::vector<std::string> first,
                              const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::vector<CommandSyntax>& commands() {
    static const std::vector<CommandSyntax> list{
        {"ports", {}, {}, {}, 0},
        {"info", kPort, kConnection, {}, 0},
        {"flights", kPort, kConnection, {}, 0},
        {"download",
         kPort,
         join(kConnection, {"--flight", "--output", "--dir"}),
         {"--new", "--native", "--no-secure", "--replace", "--keep-both"},
         0},
        {"database", join(kPort, {"--output"}), kConnection, {"--replace", "--keep-both"}, 0},
        {"declaration", kPort, kConnection, {}, 0},
        {"upload", kPort, join(kConnection, {"--waypoints", "--declaration"}),
         {"--truncate", "--replace-all", "--clear-task", "--no-restart", "--skip-bad-lines"}, 0},
        {"convert", {}, {}, {"--partial", "--skip-bad-lines", "--replace", "--keep-both"}, 2},
        {"igc", {}, {}, {"--fixes"}, 1},
        {"export", {"--to"}, {"--output"}, {"--replace"}, 1},
        {"logbook", {}, {}, {}, 0, 1},
        {"check", {}, {}, {}, 1, kAnyNumberOfFiles},
    };
    return list;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

const char* CliArguments::usage() {
    return "usage: kelvo-cli COMMAND [OPTIONS] [--json] [--verbose]\n"
           "  ports\n"
           "  info        [--type T] --port P\n"
           "  flights     [--type T] --port P\n"
           "  download    [--type T] --port P --flight N [--native] [--no-secure] [--output PATH]\n"
           "  download    [--type T] --port P --new [--dir DIR]   (the flights not in the folder)\n"
           "  database    [--type T] --port P --output FILE\n"
           "  declaration [--type T] --port P\n"
           "  upload      [--type T] --port P [--waypoints FILE] [--declaration FILE.json]\n"
           "              [--clear-task] [--truncate] [--replace-all] [--no-restart]\n"
           "              [--skip-bad-lines]\n"
           "              (--waypoints only for a recorder that keeps waypoints, and then\n"
           "              always; --no-restart: a Flarm's task takes effect at its next start)\n"
           "  convert     IN OUT [--partial] [--skip-bad-lines]\n"
           "  download, database and convert take [--replace | --keep-both]: a file of other\n"
           "              content under the name is replaced, or the new one written beside it\n"
           "              as \"NAME (2).EXT\"; without either, exit 1 (the same content: exit 0)\n"
           "  igc         FILE [--fixes]\n"
           "  export      FILE.igc --to kml|gpx [--output FILE] [--replace]\n"
           "  logbook     [DIR]   (the flights folder's flights, newest first)\n"
           "  check       FILE...\n"
           "T: a family below, by its name or a make the name lists (any case), or\n"
           "   Automatic (the default): the family that answers\n"
           "P: a device path or a name that 'kelvo-cli ports' lists\n"
           "--speed BAUD, with every command that takes --port: the line speed the recorder is\n"
           "   set to, used alone instead of a search";
}

CliArguments CliArguments::parse(const std::vector<std::string>& arguments) {
    if (arguments.empty()) throw UsageError("no command given");
    CliArguments result;
    result.m_command = arguments.front();
    const auto syntax =
        std::find_if(commands().begin(), commands().end(),
                     [&](const auto& command) { return command.name == result.m_command; });
    if (syntax == commands().end()) throw UsageError("unknown command: " + result.m_command);

    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--json" || argument == "--verbose" || contains(syntax->flags, argument)) {
            result.m_flags.insert(argument);
        } else if (contains(syntax->required, argument) || contains(syntax->optional, argument)) {
            if (i + 1 == arguments.size()) throw UsageError(argument + " needs a value");
            result.m_values[argument] = arguments[++i];
        } else if (argument.starts_with("--")) {
            throw UsageError("unknown option for " + result.m_command + ": " + argument);
        } else {
            result.m_positionals.push_back(argument);
        }
    }
    for (const auto& option : syntax->required) {
        if (!result.m_values.contains(option)) {
            throw UsageError(result.m_command + " needs " + option);
        }
    }
    const std::size_t given = result.m_positionals.size();
    if (given < syntax->positionals || given > syntax->positionals + syntax->optionalPositionals) {
        throw UsageError(result.m_command + " takes " + std::to_string(syntax->positionals) +
                         (syntax->optionalPositionals ? " or more" : "") + " argument(s), not " +
                         std::to_string(given));
    }
    return result;
}

std::optional<std::string> CliArguments::value(const std::string& name) const {
    const auto found = m_values.find(name);
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

const std::string& CliArguments::required(const std::string& name) const {
    return m_values.at(name);
}

std::optional<int> CliArguments::integer(const std::string& name) const {
    const auto text = value(name);
    if (!text) return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (error != std::errc() || end != text->data() + text->size()) {
        throw UsageError(name + " needs a whole number, not " + *text);
    }
    return number;
}

}  // namespace kelvo::cli
