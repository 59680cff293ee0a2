#include "tools/HostCli.h"

#include <charconv>
#include <ctime>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>

#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "text/OleDate.h"
#include "text/Regional.h"
#include "tools/HostSim.h"

namespace stripstock::hostsim {

namespace {

constexpr const char* kUsage =
    "Usage: stripstock-host [--registry FILE] [--host-key NAME] COMMAND [ARGS]\n"
    "\n"
    "Plays the diary application for StripStock: writes its registry values, its diary\n"
    "database and its import file.\n"
    "\n"
    "Commands:\n"
    "  init --diary PATH [--hive hklm|hkcu] [--first NAME --name NAME] [--password TEXT]\n"
    "      create a diary and register it as the open one\n"
    "  reading --method CODE --date D [--count N]\n"
    "      add N readings (default 1) of a meter on a day (d.m.yyyy [h:mm], default 12:00)\n"
    "  generate --from D --to D --per-day N --methods C,C,... [--seed S]\n"
    "      add N readings per day from the given meter codes\n"
    "  module NAME [--type T] [--parameter TEXT] [--desc TEXT]\n"
    "      register an import module\n"
    "  import-ini SECTION KEY VALUE\n"
    "      set a name in the host's import.ini\n"
    "  demo DIR [--today D]\n"
    "      a complete host with a year of readings in DIR\n"
    "  forget\n"
    "      the host closes its diary (\"DataBaseName\" removed)\n"
    "\n"
    "The registry store is FILE, else $STRIPSTOCK_REGISTRY, else the default store.\n"
    "The host key defaults to VELLIND4. Dates are written d.m.yyyy.\n";

struct UsageError {
    std::string message;
};

struct Command {
    std::size_t positionals;
    std::set<std::string> options;
    std::set<std::string> required;
};

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"init", {0, {"diary", "hive", "first", "name", "password"}, {"diary"}}},
        {"reading", {0, {"method", "date", "count"}, {"method", "date"}}},
        {"generate",
         {0, {"from", "to", "per-day", "methods", "seed"}, {"from", "to", "per-day", "methods"}}},
        {"module", {1, {"type", "parameter", "desc"}, {}}},
        {"import-ini", {3, {}, {}}},
        {"demo", {1, {"today"}, {}}},
        {"forget", {0, {}, {}}},
    };
    return commands;
}

struct Invocation {
    std::string command;
    std::vector<std::string> positionals;
    std::map<std::string, std::string> options;

    std::optional<std::string> Get(const std::string& name) const {
        auto it = options.find(name);
        if (it == options.end()) return std::nullopt;
        return it->second;
    }
};

// Options may stand anywhere; every option takes a value ("--name value" or "--name=value").
Invocation Parse(const std::vector<std::string>& args, bool& help) {
    Invocation inv;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            help = true;
            return inv;
        }
        if (a.rfind("--", 0) == 0 && a.size() > 2) {
            std::string name = a.substr(2);
            std::string value;
            if (const auto eq = name.find('='); eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.erase(eq);
            } else {
                if (i + 1 >= args.size()) throw UsageError{"--" + name + " needs a value"};
                value = args[++i];
            }
            if (!inv.options.emplace(name, value).second)
                throw UsageError{"--" + name + " given twice"};
            continue;
        }
        words.push_back(a);
    }
    if (words.empty()) throw UsageError{"no command given"};
    inv.command = words.front();
    inv.positionals.assign(words.begin() + 1, words.end());

    auto it = Commands().find(inv.command);
    if (it == Commands().end()) throw UsageError{"unknown command: " + inv.command};
    const Command& cmd = it->second;
    if (inv.positionals.size() != cmd.positionals)
        throw UsageError{inv.command + " takes " + std::to_string(cmd.positionals) +
                         " argument(s)"};
    for (const auto& [name, value] : inv.options) {
        if (name != "registry" && name != "host-key" && !cmd.options.count(name))
            throw UsageError{"--" + name + " does not apply to " + inv.command};
    }
    for (const auto& name : cmd.required) {
        if (!inv.options.count(name)) throw UsageError{inv.command + " needs --" + name};
    }
    return inv;
}

long long ToNumber(const std::string& text, const std::string& what, long long min, long long max) {
    long long n = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, n);
    if (ec != std::errc() || p != end || n < min || n > max)
        throw UsageError{what + " is not a valid number: " + text};
    return n;
}

double ToDate(const std::string& text, const std::string& what) {
    auto d = ParseDate(text);
    if (!d) throw UsageError{what + " is not a date (d.m.yyyy): " + text};
    return *d;
}

std::vector<int> ToCodes(const std::string& text) {
    std::vector<int> codes;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        codes.push_back(static_cast<int>(ToNumber(part, "meter code", -32768, 32767)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return codes;
}

double LocalNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return ToOleDate(
        {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

std::string RequireDiary(Registry& reg, const std::string& hostKey) {
    const std::string diary = RegisteredDiary(reg, hostKey);
    if (diary.empty())
        throw HostSimError("the host " + hostKey + " has no diary open; run init first");
    return diary;
}

int Run(const Invocation& inv, Registry& reg, std::ostream& out) {
    const std::string hostKey = inv.Get("host-key").value_or(kDefaultHostKey);
    if (hostKey.empty()) throw UsageError{"--host-key must not be empty"};
    const std::string& c = inv.command;

    if (c == "init") {
        InitOptions opt;
        opt.diaryPath = *inv.Get("diary");
        opt.hostKey = hostKey;
        const std::string hive = inv.Get("hive").value_or("hklm");
        if (hive == "hklm") {
            opt.hive = kHkeyLocalMachine;
        } else if (hive == "hkcu") {
            opt.hive = kHkeyCurrentUser;
        } else {
            throw UsageError{"--hive must be hklm or hkcu"};
        }
        opt.firstName = inv.Get("first").value_or(opt.firstName);
        opt.name = inv.Get("name").value_or(opt.name);
        opt.password = inv.Get("password").value_or("");
        out << "diary: " << InitHost(reg, opt) << "\n";
    } else if (c == "reading") {
        const int method =
            static_cast<int>(ToNumber(*inv.Get("method"), "--method", -32768, 32767));
        const std::string dateText = *inv.Get("date");
        const double when = ToDate(dateText, "--date");
        const double day = OleDateOnly(when);
        const bool hasTime = dateText.find(':') != std::string::npos;
        const int count =
            static_cast<int>(ToNumber(inv.Get("count").value_or("1"), "--count", 0, 1000000));
        AddReadings(RequireDiary(reg, hostKey), method, day, count, hasTime ? when - day : 0.5);
        out << count << " reading(s) added\n";
    } else if (c == "generate") {
        const double from = ToDate(*inv.Get("from"), "--from");
        const double to = ToDate(*inv.Get("to"), "--to");
        const int perDay = static_cast<int>(ToNumber(*inv.Get("per-day"), "--per-day", 0, 1000));
        const auto methods = ToCodes(*inv.Get("methods"));
        const auto seed = static_cast<unsigned>(
            ToNumber(inv.Get("seed").value_or("1"), "--seed", 0, 4294967295LL));
        if (to < from) throw UsageError{"--to lies before --from"};
        Generate(RequireDiary(reg, hostKey), from, to, perDay, methods, seed);
        out << "readings generated\n";
    } else if (c == "module") {
        RegisterModule(reg, hostKey, inv.positionals[0], inv.Get("type"), inv.Get("parameter"),
                       inv.Get("desc"));
        out << "module registered: " << inv.positionals[0] << "\n";
    } else if (c == "import-ini") {
        WriteImportIni(reg, hostKey, inv.positionals[0], inv.positionals[1], inv.positionals[2]);
        out << "import.ini updated\n";
    } else if (c == "demo") {
        const double today = inv.Get("today") ? ToDate(*inv.Get("today"), "--today") : LocalNow();
        out << "demo host created; diary: " << CreateDemo(reg, inv.positionals[0], today, hostKey)
            << "\n";
    } else if (c == "forget") {
        Forget(reg, hostKey);
        out << "diary forgotten\n";
    }
    return 0;
}

}  // namespace

int RunHostCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Invocation inv;
    try {
        bool help = false;
        inv = Parse(args, help);
        if (help) {
            out << kUsage;
            return 0;
        }
    } catch (const UsageError& e) {
        err << "stripstock-host: " << e.message << "\n\n" << kUsage;
        return 2;
    }
    try {
        const auto file = inv.Get("registry");
        std::shared_ptr<RegistryBackend> backend =
            file ? MakeFileRegistryBackend(*file) : MakeDefaultRegistryBackend();
        if (!backend) throw HostSimError("no registry store available");
        Registry reg(backend);
        return Run(inv, reg, out);
    } catch (const UsageError& e) {
        err << "stripstock-host: " << e.message << "\n\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "stripstock-host: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace stripstock::hostsim
