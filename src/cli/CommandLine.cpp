#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <memory>
#include <ostream>
#include <sstream>

namespace stripstock::cmdline {

namespace {

constexpr const char* kHelpCommand = "help";
constexpr const char* kTopicName = "COMMAND";

bool IsGenerated(const CLI::App& app, const CLI::Option* option) {
    return option == app.get_help_ptr() || option == app.get_version_ptr();
}

std::string OptionName(const CLI::Option* option) {
    if (option->get_positional()) return option->get_name();
    std::string name;
    for (const std::string& l : option->get_lnames()) name += (name.empty() ? "--" : ", --") + l;
    for (const std::string& s : option->get_snames()) name += (name.empty() ? "-" : ", -") + s;
    return name;
}

// "--amount TEXT", "[--strip POSITION]", "[--no-default]", "ID".
std::string Synopsis(const CLI::Option* option) {
    std::string text =
        option->get_positional() ? option->get_name() : "--" + option->get_lnames()[0];
    if (!option->get_positional() && !option->get_type_name().empty())
        text += " " + option->get_type_name();
    return option->get_required() ? text : "[" + text + "]";
}

// The command word followed by its arguments, then its options, in the order declared.
std::string CommandSynopsis(const CLI::App& command) {
    std::string text = command.get_name();
    for (bool positional : {true, false}) {
        for (const CLI::Option* option : command.get_options()) {
            if (IsGenerated(command, option) || option->get_positional() != positional) continue;
            text += " " + Synopsis(option);
        }
    }
    return text;
}

void WriteEntry(std::ostream& out, const std::string& head, const std::string& description) {
    out << "  " << head << '\n';
    if (!description.empty()) out << "      " << description << '\n';
}

std::vector<const CLI::App*> Commands(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

// The help layout of both programs: usage line, then commands or arguments and options, one
// line of synopsis each with its help line indented below.
class HelpFormatter : public CLI::Formatter {
  public:
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode) const override {
        std::ostringstream out;
        if (app->get_parent() == nullptr) {
            out << "Usage: " << name;
            for (const CLI::Option* option : app->get_options()) {
                if (!IsGenerated(*app, option)) out << ' ' << Synopsis(option);
            }
            out << " COMMAND [ARGS]\n";
            if (!app->get_description().empty()) out << '\n' << app->get_description() << '\n';
            out << "\nCommands:\n";
            for (const CLI::App* command : Commands(*app))
                WriteEntry(out, CommandSynopsis(*command), command->get_description());
            out << "\nOptions:\n";
            for (bool generated : {false, true}) {
                for (const CLI::Option* option : app->get_options()) {
                    if (IsGenerated(*app, option) != generated) continue;
                    const std::string type = option->get_type_name();
                    WriteEntry(out,
                               type.empty() ? OptionName(option) : OptionName(option) + " " + type,
                               option->get_description());
                }
            }
            if (!app->get_footer().empty()) out << '\n' << app->get_footer() << '\n';
            return out.str();
        }
        const std::string program = name.substr(0, name.rfind(' '));
        out << "Usage: " << program << ' ' << CommandSynopsis(*app) << "\n\n"
            << app->get_description() << '\n';
        for (bool positional : {true, false}) {
            bool first = true;
            for (const CLI::Option* option : app->get_options()) {
                if (IsGenerated(*app, option) || option->get_positional() != positional) continue;
                if (first) out << (positional ? "\nArguments:\n" : "\nOptions:\n");
                first = false;
                WriteEntry(out, positional ? option->get_name() : Synopsis(option),
                           option->get_description());
            }
        }
        return out.str();
    }
};

// The command being parsed when an error came up, if any.
const CLI::App* CurrentCommand(const CLI::App& app) {
    const auto parsed = app.get_subcommands();
    return parsed.empty() ? nullptr : parsed.front();
}

std::string UsageLine(const CLI::App& app, const std::string& message) {
    const CLI::App* command = CurrentCommand(app);
    std::string helpCall = app.get_name();
    if (command && command->get_name() != kHelpCommand) helpCall += " " + command->get_name();
    return app.get_name() + ": " + message + " (see '" + helpCall + " --help')";
}

// CLI11's messages, said the way the programs say them elsewhere.
std::string Message(const CLI::App& app, const CLI::ParseError& error) {
    std::vector<const CLI::App*> scopes{&app};
    if (const CLI::App* command = CurrentCommand(app)) scopes.push_back(command);
    for (const CLI::App* scope : scopes) {
        for (const CLI::Option* option : scope->get_options()) {
            if (option->count() > 1) return OptionName(option) + " given more than once";
        }
    }
    const bool noCommand = CurrentCommand(app) == nullptr;
    const bool extras = dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr;
    const bool required = dynamic_cast<const CLI::RequiredError*>(&error) != nullptr;
    const std::vector<std::string> rest = app.remaining(true);
    if ((extras || (required && noCommand)) && !rest.empty()) {
        const std::string& first = rest.front();
        const bool number = first.size() > 1 && std::isdigit(static_cast<unsigned char>(first[1]));
        if (first.rfind('-', 0) == 0 && !number) return "unknown option " + first;
        return (noCommand ? "unknown command " : "unexpected argument ") + first;
    }
    if (required && noCommand) return "no command given";
    std::string text = error.what();
    // "--name: 1 required TEXT missing"
    const std::string missing = " missing";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && text.size() > missing.size() &&
        text.compare(text.size() - missing.size(), missing.size(), missing) == 0) {
        return text.substr(0, text.find(':')) + " needs a value";
    }
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1]))) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

// "help" alone gives the overview, "help COMMAND" that command's help.
int RunHelp(const CLI::App& app, const CLI::App& help, std::ostream& out, std::ostream& err) {
    const CLI::Option* topic = help.get_option(kTopicName);
    if (topic->count() == 0) {
        out << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
        return kExitHelpOrVersion;
    }
    const std::string name = topic->results().front();
    for (const CLI::App* command : Commands(app)) {
        if (command->get_name() != name) continue;
        out << app.get_formatter()->make_help(command, app.get_name() + " " + name,
                                              CLI::AppFormatMode::Normal);
        return kExitHelpOrVersion;
    }
    err << UsageLine(app, "unknown command " + name) << '\n';
    return kExitUsage;
}

}  // namespace

void Setup(CLI::App& app, const std::string& footer) {
    app.formatter(std::make_shared<HelpFormatter>());
    // Commands copy the help flag and fallthrough when they are added, so these come first.
    app.set_help_flag("--help,-h", "shows this help; COMMAND --help describes one command");
    app.set_version_flag("--version", app.get_name() + " " + STRIPSTOCK_VERSION,
                         "shows the program's name and version");
    app.fallthrough();
    app.require_subcommand(1);
    app.footer(footer);
    CLI::App* help = AddCommand(app, kHelpCommand, "lists the commands, or describes one");
    help->add_option_function<std::string>(
            kTopicName, [](const std::string&) {}, "the command to describe")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& helpLine) {
    return app.add_subcommand(name, helpLine);
}

CLI::Option* AddText(CLI::App& command, const std::string& name, std::optional<std::string>& target,
                     const std::string& valueName, const std::string& description) {
    return command
        .add_option_function<std::string>(
            name, [&target](const std::string& text) { target = text; }, description)
        ->type_name(valueName)
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

CLI::Option* AddFlag(CLI::App& command, const std::string& name, bool& target,
                     const std::string& description) {
    return command.add_flag(name, target, description)
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

std::optional<long long> ParseWhole(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

CLI::Validator WholeNumber(long long min, long long max) {
    return CLI::Validator(
        [min, max](std::string& text) -> std::string {
            const auto value = ParseWhole(text);
            if (!value) return text + " is not a whole number";
            if (*value < min || *value > max) {
                return text + " is out of range (" + std::to_string(min) + " to " +
                       std::to_string(max) + ")";
            }
            return {};
        },
        "");
}

CLI::Validator OneOf(const std::vector<std::string>& words) {
    return CLI::Validator(
        [words](std::string& text) -> std::string {
            if (std::find(words.begin(), words.end(), text) != words.end()) return {};
            std::string list;
            for (const std::string& w : words) list += (list.empty() ? "" : ", ") + w;
            return text + " is not one of " + list;
        },
        "");
}

std::optional<int> Parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
    if (args.empty()) {
        err << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
        return kExitUsage;
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them backwards
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitHelpOrVersion;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << '\n';
        return kExitHelpOrVersion;
    } catch (const CLI::ParseError& error) {
        err << UsageLine(app, Message(app, error)) << '\n';
        return kExitUsage;
    }
    const CLI::App* command = CurrentCommand(app);
    if (command->get_name() == kHelpCommand) return RunHelp(app, *command, out, err);
    return std::nullopt;
}

int ReportUsage(const CLI::App& app, const UsageError& error, std::ostream& err) {
    err << UsageLine(app, error.text) << '\n';
    return kExitUsage;
}

}  // namespace stripstock::cmdline
