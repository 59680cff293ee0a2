#include "tools/HostCli.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CommandLine.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "text/OleDate.h"
#include "text/Regional.h"
#include "tools/HostSim.h"

namespace stripstock::hostsim {

namespace {

using cmdline::UsageError;

constexpr int kExitFailed = 1;

// Every value a command can be given; a command declares the ones it takes.
struct Given {
    std::optional<std::string> registry;
    std::optional<std::string> hostKey;
    std::optional<std::string> diary;
    std::optional<std::string> hive;
    std::optional<std::string> first;
    std::optional<std::string> name;
    std::optional<std::string> password;
    std::optional<int> method;
    std::optional<std::string> date;
    std::optional<int> count;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<int> perDay;
    std::optional<std::string> methods;
    std::optional<unsigned> seed;
    std::optional<std::string> type;
    std::optional<std::string> parameter;
    std::optional<std::string> desc;
    std::optional<std::string> section;
    std::optional<std::string> key;
    std::optional<std::string> value;
    std::optional<std::string> today;
    std::optional<std::string> dir;
    std::optional<std::string> file;
};

using Runner =
    std::function<void(Registry&, const std::string& hostKey, const Given&, std::ostream&)>;

CLI::Validator Date() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return ParseDate(text) ? std::string() : text + " is not a date (d.m.yyyy)";
        },
        "");
}

CLI::Validator MeterCodes() {
    const CLI::Validator code = cmdline::WholeNumber(-32768, 32767);
    return CLI::Validator(
        [code](std::string& text) -> std::string {
            std::size_t start = 0;
            while (start <= text.size()) {
                const auto comma = text.find(',', start);
                std::string part = text.substr(start, comma - start);
                if (std::string error = code(part); !error.empty()) return error;
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
            return {};
        },
        "");
}

std::vector<int> ToCodes(const std::string& text) {
    std::vector<int> codes;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = text.find(',', start);
        codes.push_back(static_cast<int>(*cmdline::ParseWhole(text.substr(start, comma - start))));
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

std::uint32_t HiveOf(const Given& g) {
    return g.hive.value_or("hklm") == "hkcu" ? kHkeyCurrentUser : kHkeyLocalMachine;
}

CLI::Option* AddHive(CLI::App& command, Given& given) {
    return cmdline::AddText(command, "--hive", given.hive, "hklm|hkcu",
                            "the hive of \"DataBaseName\" (default hklm)")
        ->check(cmdline::OneOf({"hklm", "hkcu"}));
}

std::vector<std::pair<CLI::App*, Runner>> DeclareCommands(CLI::App& app, Given& given) {
    using cmdline::AddCommand;
    using cmdline::AddNumber;
    using cmdline::AddText;
    std::vector<std::pair<CLI::App*, Runner>> commands;

    CLI::App* init = AddCommand(app, "init", "create a diary and register it as the open one");
    AddText(*init, "--diary", given.diary, "PATH", "the new diary file")->required();
    AddHive(*init, given);
    AddText(*init, "--first", given.first, "NAME", "the owner's first name (default Erika)");
    AddText(*init, "--name", given.name, "NAME", "the owner's name (default Mustermann)");
    AddText(*init, "--password", given.password, "TEXT", "the diary's password");
    commands.emplace_back(
        init, [](Registry& reg, const std::string& hostKey, const Given& g, std::ostream& out) {
            InitOptions opt;
            opt.diaryPath = *g.diary;
            opt.hostKey = hostKey;
            opt.hive = HiveOf(g);
            opt.firstName = g.first.value_or(opt.firstName);
            opt.name = g.name.value_or(opt.name);
            opt.password = g.password.value_or("");
            out << "diary: " << InitHost(reg, opt) << "\n";
        });

    CLI::App* use = AddCommand(app, "use-diary",
                               "register an existing diary file as the open one (never written)");
    AddText(*use, "FILE", given.file, "FILE", "the diary file")->required();
    AddHive(*use, given);
    commands.emplace_back(
        use, [](Registry& reg, const std::string& hostKey, const Given& g, std::ostream& out) {
            out << "diary: " << UseDiary(reg, *g.file, HiveOf(g), hostKey) << "\n";
        });

    CLI::App* reading = AddCommand(
        app, "reading",
        "add N readings (default 1) of a meter on a day (d.m.yyyy [h:mm], default 12:00)");
    AddNumber(*reading, "--method", given.method, "CODE", "the meter type code", -32768, 32767)
        ->required();
    AddText(*reading, "--date", given.date, "D", "the day, d.m.yyyy [h:mm]")
        ->required()
        ->check(Date());
    AddNumber(*reading, "--count", given.count, "N", "how many", 0, 1000000);
    commands.emplace_back(reading, [](Registry& reg, const std::string& hostKey, const Given& g,
                                      std::ostream& out) {
        const double when = *ParseDate(*g.date);
        const double day = OleDateOnly(when);
        const bool hasTime = g.date->find(':') != std::string::npos;
        const int count = g.count.value_or(1);
        AddReadings(RequireDiary(reg, hostKey), *g.method, day, count, hasTime ? when - day : 0.5);
        out << count << " reading(s) added\n";
    });

    CLI::App* generate =
        AddCommand(app, "generate", "add N readings per day from the given meter codes");
    AddText(*generate, "--from", given.from, "D", "the first day")->required()->check(Date());
    AddText(*generate, "--to", given.to, "D", "the last day")->required()->check(Date());
    AddNumber(*generate, "--per-day", given.perDay, "N", "readings per day", 0, 1000)->required();
    AddText(*generate, "--methods", given.methods, "C,C,...", "meter type codes to draw from")
        ->required()
        ->check(MeterCodes());
    AddNumber(*generate, "--seed", given.seed, "S", "the same seed gives the same readings");
    commands.emplace_back(
        generate, [](Registry& reg, const std::string& hostKey, const Given& g, std::ostream& out) {
            const double from = *ParseDate(*g.from);
            const double to = *ParseDate(*g.to);
            if (to < from) throw UsageError{"--to lies before --from"};
            Generate(RequireDiary(reg, hostKey), from, to, *g.perDay, ToCodes(*g.methods),
                     g.seed.value_or(1));
            out << "readings generated\n";
        });

    CLI::App* module = AddCommand(app, "module", "register an import module");
    AddText(*module, "NAME", given.name, "NAME", "the module's key name")->required();
    AddText(*module, "--type", given.type, "T", "its kind (0 a meter)");
    AddText(*module, "--parameter", given.parameter, "TEXT", "\"|\"-separated, code fourth");
    AddText(*module, "--desc", given.desc, "TEXT", "the name shown");
    commands.emplace_back(
        module, [](Registry& reg, const std::string& hostKey, const Given& g, std::ostream& out) {
            RegisterModule(reg, hostKey, *g.name, g.type, g.parameter, g.desc);
            out << "module registered: " << *g.name << "\n";
        });

    CLI::App* ini = AddCommand(app, "import-ini", "set a name in the host's import.ini");
    AddText(*ini, "SECTION", given.section, "SECTION", "BG or BP")->required();
    AddText(*ini, "KEY", given.key, "KEY", "the device number")->required();
    AddText(*ini, "VALUE", given.value, "VALUE", "the name")->required();
    commands.emplace_back(
        ini, [](Registry& reg, const std::string& hostKey, const Given& g, std::ostream& out) {
            WriteImportIni(reg, hostKey, *g.section, *g.key, *g.value);
            out << "import.ini updated\n";
        });

    CLI::App* demo = AddCommand(app, "demo", "a complete host with a year of readings in DIR");
    AddText(*demo, "DIR", given.dir, "DIR", "the folder")->required();
    AddText(*demo, "--today", given.today, "D", "the last day of readings (default today)")
        ->check(Date());
    commands.emplace_back(
        demo, [](Registry& reg, const std::string& hostKey, const Given& g, std::ostream& out) {
            const double today = g.today ? *ParseDate(*g.today) : LocalNow();
            out << "demo host created; diary: " << CreateDemo(reg, *g.dir, today, hostKey) << "\n";
        });

    commands.emplace_back(
        AddCommand(app, "forget", "the host closes its diary (\"DataBaseName\" removed)"),
        [](Registry& reg, const std::string& hostKey, const Given&, std::ostream& out) {
            Forget(reg, hostKey);
            out << "diary forgotten\n";
        });
    return commands;
}

}  // namespace

int RunHostCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app(
        "Plays the diary application for StripStock: writes its registry values, its diary\n"
        "database and its import file.",
        "stripstock-host");
    cmdline::Setup(app,
                   "The registry store is FILE, else $STRIPSTOCK_REGISTRY, else the default "
                   "store.\nThe host key defaults to VELLIND4. Dates are written d.m.yyyy.");
    Given given;
    cmdline::AddText(app, "--registry", given.registry, "FILE", "the registry store");
    cmdline::AddText(app, "--host-key", given.hostKey, "NAME", "the host's key name")
        ->check(CLI::Validator(
            [](std::string& text) { return text.empty() ? "must not be empty" : std::string(); },
            ""));
    const auto commands = DeclareCommands(app, given);

    if (const auto status = cmdline::Parse(app, args, out, err)) return *status;
    const CLI::App* chosen = app.get_subcommands().front();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [chosen](const auto& c) { return c.first == chosen; });
    try {
        std::shared_ptr<RegistryBackend> backend = given.registry
                                                       ? MakeFileRegistryBackend(*given.registry)
                                                       : MakeDefaultRegistryBackend();
        if (!backend) throw HostSimError("no registry store available");
        Registry reg(backend);
        it->second(reg, given.hostKey.value_or(kDefaultHostKey), given, out);
        return 0;
    } catch (const UsageError& e) {
        return cmdline::ReportUsage(app, e, err);
    } catch (const std::exception& e) {
        err << "stripstock-host: " << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace stripstock::hostsim
