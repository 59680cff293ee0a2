#pragma once

// The command-line conventions stripstock-cli and stripstock-host share, on CLI11: one
// command word, each command declaring its options and one help line, "--name value" or
// "--name=value", an option given twice or unknown is a usage error reported in one line,
// help and version generated from the declarations.

#include <CLI/CLI.hpp>

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stripstock::cmdline {

inline constexpr int kExitHelpOrVersion = 0;
inline constexpr int kExitUsage = 2;

// Raised by a command for arguments that only turn out wrong when it runs (a list position
// beyond the list); reported like a parse error.
struct UsageError {
    std::string text;
};

// Sets the shared conventions on app (named as the program calls itself): --help/-h,
// --version printing "<name> <version>", a "help [COMMAND]" command, exactly one command,
// program options accepted after the command too. footer closes the overview help.
void Setup(CLI::App& app, const std::string& footer);

// A command with its help line.
CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& helpLine);

// A text option ("--name") or positional argument ("NAME"); target is set when it is given.
CLI::Option* AddText(CLI::App& command, const std::string& name, std::optional<std::string>& target,
                     const std::string& valueName, const std::string& description);

CLI::Option* AddFlag(CLI::App& command, const std::string& name, bool& target,
                     const std::string& description);

// A decimal whole number: an optional "-", digits only (no blanks, no "+", no base prefix).
std::optional<long long> ParseWhole(std::string_view text);

// Accepts a whole number from min to max.
CLI::Validator WholeNumber(long long min, long long max);

// Accepts one of the given words.
CLI::Validator OneOf(const std::vector<std::string>& words);

template <typename T>
CLI::Option* AddNumber(CLI::App& command, const std::string& name, std::optional<T>& target,
                       const std::string& valueName, const std::string& description,
                       long long min = std::numeric_limits<T>::min(),
                       long long max = std::numeric_limits<T>::max()) {
    CLI::Option* option = command.add_option_function<std::string>(
        name, [&target](const std::string& text) { target = static_cast<T>(*ParseWhole(text)); },
        description);
    option->check(WholeNumber(min, max))
        ->type_name(valueName)
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    return option;
}

// Parses args (without the program name). nullopt: app.get_subcommands()[0] is the command to
// run. Otherwise the exit status, after help or the version went to out, a usage error in
// one line to err, or, for no arguments at all, the overview to err.
std::optional<int> Parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err);

// Reports a UsageError raised by the running command; returns kExitUsage.
int ReportUsage(const CLI::App& app, const UsageError& error, std::ostream& err);

}  // namespace stripstock::cmdline
