#include "cli/Cli.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>

#include <QGuiApplication>

#include "app/ProgramInfo.h"
#include "app/Reports.h"
#include "app/Startup.h"
#include "cli/CommandLine.h"
#include "consumption/ConsumptionTable.h"
#include "consumption/Forecast.h"
#include "meters/ImportDesc.h"
#include "prescriptions/FaultyMeasurement.h"
#include "prescriptions/LedgerExport.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/NewPrescription.h"
#include "prescriptions/PrescriptionTree.h"
#include "report/ReportPdf.h"
#include "strips/Catalogue.h"
#include "strips/StripChanges.h"
#include "strips/StripProperties.h"
#include "text/OleDate.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"
#include "text/UserText.h"

namespace stripstock {

namespace {

using cmdline::UsageError;

constexpr const char* kProgram = "stripstock-cli";
constexpr long long kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr long long kInt16Max = std::numeric_limits<std::int16_t>::max();

// Every value a command can be given; a command declares the ones it takes.
struct Given {
    std::optional<std::string> host;
    std::optional<std::string> programDir;
    std::optional<std::string> diary;
    // IDs, types and list positions are 32-bit in the core; a larger number must not wrap
    // round to another row (4294967297 would otherwise delete the strip with ID 1).
    std::optional<std::int32_t> id;
    std::optional<std::int32_t> type;
    std::optional<std::int32_t> position;
    std::optional<std::int16_t> family;
    std::optional<std::int16_t> device;
    std::optional<std::string> amount;
    std::optional<std::string> count;
    std::optional<std::string> date;
    std::optional<std::string> name;
    std::optional<std::string> manufacturer;
    std::optional<std::string> pzn;
    std::optional<std::string> select;
    std::optional<std::string> by;
    std::optional<std::int32_t> strip;
    std::optional<std::string> file;
    std::optional<std::string> from;
    std::optional<std::string> to;
    bool noDefault = false;
};

using Runner =
    std::function<int(Context&, const StartupResult&, const Given&, std::ostream&, std::ostream&)>;

void PrintRow(std::ostream& out, std::initializer_list<std::string> cells) {
    bool first = true;
    for (const auto& cell : cells) {
        if (!first) out << '\t';
        out << EscapeTsvCell(cell);
        first = false;
    }
    out << '\n';
}

int ReportEntry(const EntryOutcome& outcome, std::ostream& err) {
    if (outcome.closed) return kExitDone;
    err << outcome.message << '\n';
    return outcome.storageFailure ? kExitStorageFailure : kExitInputRefused;
}

// The CLI names rows by the IDs the window's lists carry: an ID no list shows is not found.
bool Lists(const std::vector<ListEntry>& entries, std::int32_t id) {
    return std::any_of(entries.begin(), entries.end(),
                       [id](const ListEntry& e) { return e.itemData == id; });
}

CliExit NotFound(const std::string& what, std::int32_t id, std::ostream& err) {
    err << kProgram << ": " << what << ' ' << id << " not found\n";
    return kExitInputRefused;
}

// "POS,POS,..." as list positions; the empty text selects none.
std::vector<long long> Positions(const std::string& list) {
    std::vector<long long> positions;
    std::size_t start = 0;
    while (!list.empty()) {
        const std::size_t comma = list.find(',', start);
        const auto pos = cmdline::ParseWhole(list.substr(start, comma - start));
        positions.push_back(pos.value_or(-1));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return positions;
}

CLI::Validator PositionList() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            std::size_t start = 0;
            while (!text.empty()) {
                const std::size_t comma = text.find(',', start);
                const std::string word = text.substr(start, comma - start);
                if (!cmdline::ParseWhole(word)) return word + " is not a whole number";
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
            return {};
        },
        "");
}

std::vector<bool> SelectionFromPositions(const std::string& list, std::size_t count) {
    std::vector<bool> selected(count, false);
    for (const long long pos : Positions(list)) {
        if (pos < 0 || static_cast<std::size_t>(pos) >= count)
            throw UsageError{"--select position out of the meter list: " + std::to_string(pos)};
        selected[static_cast<std::size_t>(pos)] = true;
    }
    return selected;
}

void PrintForecastRow(std::ostream& out, const ForecastRow& row) {
    PrintRow(out, {std::to_string(row.id), row.name, row.stock ? std::to_string(*row.stock) : "",
                   PerDayText(row.perDay, '.'), RunOutText(row.runOut), row.warn ? "warn" : ""});
}

// Fonts need a QGuiApplication; without a display the PDF is drawn off screen.
class GuiForFonts {
  public:
    GuiForFonts() {
        if (QGuiApplication::instance() != nullptr) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt's notes about the platform are no business of the command's output.
        m_previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                DebugLog("report", text.toStdString());
            });
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    ~GuiForFonts() {
        if (!m_app) return;
        m_app.reset();
        qInstallMessageHandler(m_previous);
    }
    GuiForFonts(const GuiForFonts&) = delete;
    GuiForFonts& operator=(const GuiForFonts&) = delete;

  private:
    char m_name[15] = "stripstock-cli";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    std::unique_ptr<QGuiApplication> m_app;
    QtMessageHandler m_previous = nullptr;
};

// A date option's day; a text that is no date is refused as input.
std::optional<double> DayOf(const std::optional<std::string>& text, const char* option,
                            std::ostream& err) {
    if (!text) return std::nullopt;
    const auto day = ParseDate(*text);
    if (!day) {
        err << kProgram << ": " << option << ": kein Datum: " << *text << '\n';
        return -1.0;
    }
    return OleDateOnly(*day);
}

CLI::Option* AddId(CLI::App& command, Given& given, const std::string& description) {
    return cmdline::AddNumber(command, "ID", given.id, "ID", description)->required();
}

// The command table: each command declares what it takes and runs the core operation the
// window runs for it, after the start-up.
std::vector<std::pair<CLI::App*, Runner>> DeclareCommands(CLI::App& app, Given& given) {
    using cmdline::AddCommand;
    using cmdline::AddNumber;
    using cmdline::AddText;
    std::vector<std::pair<CLI::App*, Runner>> commands;

    commands.emplace_back(
        AddCommand(app, "status", "shows the host keys, the database paths and the meter"),
        [](Context& ctx, const StartupResult& start, const Given&, std::ostream& out,
           std::ostream&) {
            out << "HostKeyName=" << ctx.HostKeyName << '\n'
                << "HostRegKey=" << ctx.HostRegKey << '\n'
                << "AddonRegKey=" << ctx.AddonRegKey << '\n'
                << "DiaryDbPath=" << ctx.DiaryDbPath << '\n'
                << "StripDbPath=" << ctx.StripDbPath << '\n';
            if (start.meterSelection < 0) {
                out << "Meter=-1\n";
            } else {
                const ListEntry& meter =
                    start.meterList[static_cast<std::size_t>(start.meterSelection)];
                out << "Meter=" << start.meterSelection << '\t' << meter.text << '\t'
                    << meter.itemData << '\n';
            }
            return kExitDone;
        });

    commands.emplace_back(
        AddCommand(app, "strips", "lists the strip definitions (ID, name)"),
        [](Context&, const StartupResult& start, const Given&, std::ostream& out, std::ostream&) {
            for (const ListEntry& e : start.stripList)
                PrintRow(out, {std::to_string(e.itemData), e.text});
            return kExitDone;
        });

    commands.emplace_back(
        AddCommand(app, "consumption", "shows the consumption table: use and stock per strip"),
        [](Context&, const StartupResult& start, const Given&, std::ostream& out,
           std::ostream& err) {
            const ConsumptionTable& table = start.consumption;
            PrintRow(out, {"Tagebuchinhaber:", table.owner});
            PrintRow(out, {"Berechnung beginnt ab:", table.startingDate.value_or("")});
            PrintRow(out, {"Teststreifen", "Verbrauch", "Bestand", "Letzte Verordnung"});
            for (const ConsumptionRow& row : table.rows)
                PrintRow(out, {row.label, row.used, row.stock, row.lastPrescription});
            // The companion's figures are still printed; the missing ones are explained.
            if (!table.diaryFailure.empty()) {
                err << table.diaryFailure << '\n';
                return kExitStorageFailure;
            }
            return kExitDone;
        });

    commands.emplace_back(
        AddCommand(app, "forecast",
                   "shows how long the strips last (ID, name, stock, per day, lasts until, "
                   "warn); the total first"),
        [](Context&, const StartupResult& start, const Given&, std::ostream& out,
           std::ostream& err) {
            PrintForecastRow(out, start.forecast.total);
            for (const ForecastRow& row : start.forecast.strips) PrintForecastRow(out, row);
            if (!start.forecast.diaryFailure.empty()) {
                err << start.forecast.diaryFailure << '\n';
                return kExitStorageFailure;
            }
            return kExitDone;
        });

    CLI::App* history = AddCommand(
        app, "history", "shows received, used and the stock at the end of each month or quarter");
    AddText(*history, "--by", given.by, "month|quarter", "the period (default month)")
        ->check(cmdline::OneOf({"month", "quarter"}));
    AddNumber(*history, "--strip", given.strip, "ID", "one strip definition's; default all strips");
    commands.emplace_back(history, [](Context& ctx, const StartupResult& start, const Given& g,
                                      std::ostream& out, std::ostream& err) {
        if (g.strip && !Lists(start.stripList, *g.strip))
            return NotFound("strip definition", *g.strip, err);
        const History quarters = g.by == "quarter"
                                     ? ComputeHistory(ctx, start.stripList, HistoryStep::Quarter)
                                     : History{};
        const History& shown = g.by == "quarter" ? quarters : start.history;
        const StripHistory* strip = g.strip ? nullptr : &shown.total;
        for (const StripHistory& one : shown.strips) {
            if (g.strip && one.id == *g.strip && !strip) strip = &one;
        }
        if (!strip) return NotFound("strip definition", *g.strip, err);
        for (const HistoryRow& row : strip->rows) {
            PrintRow(out,
                     {row.period, std::to_string(row.received),
                      std::to_string(row.readings + row.faulty), std::to_string(row.stockAtEnd)});
        }
        if (!shown.diaryFailure.empty()) {
            err << shown.diaryFailure << '\n';
            return kExitStorageFailure;
        }
        return kExitDone;
    });

    commands.emplace_back(
        AddCommand(app, "prescription-tree", "lists the prescription tree (node key, text)"),
        [](Context&, const StartupResult& start, const Given&, std::ostream& out, std::ostream&) {
            for (const TreeNode& node : start.prescriptionTree)
                PrintRow(out, {node.key, node.text});
            return kExitDone;
        });

    CLI::App* list = AddCommand(app, "prescription-list", "lists the prescriptions, newest first");
    AddNumber(*list, "--type", given.type, "N", "only those of this strip definition; 0 all");
    commands.emplace_back(list, [](Context& ctx, const StartupResult& start, const Given& g,
                                   std::ostream& out, std::ostream&) {
        PrintRow(out, {"Datum", "Menge", "Streifen"});
        for (const PrescriptionRow& row :
             FillPrescriptionList(ctx, start.stripList, g.type.value_or(0)))
            PrintRow(out, {row.date, row.amount, row.strip});
        return kExitDone;
    });

    CLI::App* prescribe = AddCommand(app, "new-prescription", "records strips received");
    AddText(*prescribe, "--amount", given.amount, "TEXT", "the number of strips")->required();
    AddText(*prescribe, "--date", given.date, "TEXT", "the day received (d.m.yyyy)")->required();
    AddNumber(*prescribe, "--strip", given.position, "POSITION",
              "position in the strip list (see strips); -1 none; default as remembered");
    commands.emplace_back(prescribe, [](Context& ctx, const StartupResult&, const Given& g,
                                        std::ostream&, std::ostream& err) {
        const NewPrescriptionForm form = LoadNewPrescription(ctx);
        const int position = g.position.value_or(form.selected);
        if (position < -1 || position >= static_cast<int>(form.strips.size()))
            throw UsageError{"--strip position out of the strip list"};
        return ReportEntry(ConfirmNewPrescription(ctx, form, *g.amount, *g.date, position), err);
    });

    commands.emplace_back(
        AddCommand(app, "strip-meters", "lists the meters the host offers (code, name)"),
        [](Context& ctx, const StartupResult&, const Given&, std::ostream& out, std::ostream&) {
            for (const ListEntry& e : LoadMeterList(ctx))
                PrintRow(out, {std::to_string(e.itemData), e.text});
            return kExitDone;
        });

    CLI::App* show = AddCommand(app, "strip-show", "shows one strip definition");
    AddId(*show, given, "the strip definition's ID");
    commands.emplace_back(show, [](Context& ctx, const StartupResult& start, const Given& g,
                                   std::ostream& out, std::ostream& err) {
        if (!Lists(start.stripList, *g.id)) return NotFound("strip definition", *g.id, err);
        const auto meters = LoadMeterList(ctx);
        const StripForm form = LoadStrip(ctx, *g.id, meters);
        if (!form.found) {
            err << kProgram << ": strip definition " << *g.id << " could not be read\n";
            return kExitStorageFailure;
        }
        PrintRow(out, {"Bezeichnung", form.name});
        PrintRow(out, {"Hersteller", form.manufacturer});
        PrintRow(out, {"PZN", form.pzn});
        std::string positions;
        for (std::size_t i = 0; i < form.selected.size(); ++i) {
            if (!form.selected[i]) continue;
            if (!positions.empty()) positions += ',';
            positions += std::to_string(i);
        }
        PrintRow(out, {"Messgeräte", positions});
        return kExitDone;
    });

    CLI::App* save = AddCommand(app, "strip-save",
                                "adds a strip definition, or changes one (what is left out stays)");
    AddNumber(*save, "--id", given.id, "ID", "the definition to change; 0 or none adds one");
    AddText(*save, "--name", given.name, "T", "the name (Bezeichnung)");
    AddText(*save, "--manufacturer", given.manufacturer, "T", "the maker (Hersteller)");
    AddText(*save, "--pzn", given.pzn, "T", "the pharmacy number (PZN)");
    AddText(*save, "--select", given.select, "POS,POS,...",
            "the meters it suits, as positions in strip-meters; \"\" none")
        ->check(PositionList());
    commands.emplace_back(save, [](Context& ctx, const StartupResult& start, const Given& g,
                                   std::ostream&, std::ostream& err) {
        const std::int32_t id = g.id.value_or(0);
        if (id != 0 && !Lists(start.stripList, id)) return NotFound("strip definition", id, err);
        const auto meters = LoadMeterList(ctx);
        StripChanges changes{g.name, g.manufacturer, g.pzn, std::nullopt};
        if (g.select) changes.selected = SelectionFromPositions(*g.select, meters.size());
        const SaveOutcome outcome = SaveStripChanges(ctx, id, changes, meters);
        if (!outcome.saved) {
            err << outcome.message << '\n';
            return outcome.inputRefused ? kExitInputRefused : kExitStorageFailure;
        }
        return kExitDone;
    });

    CLI::App* remove = AddCommand(app, "strip-delete", "deletes a strip definition");
    AddId(*remove, given, "the strip definition's ID (its prescriptions stay)");
    commands.emplace_back(remove, [](Context& ctx, const StartupResult& start, const Given& g,
                                     std::ostream&, std::ostream& err) {
        if (!Lists(start.stripList, *g.id)) return NotFound("strip definition", *g.id, err);
        if (std::string cause; !DeleteStripDefinition(ctx, *g.id, &cause)) {
            err << "Der Teststreifen konnte nicht gelöscht werden !\n" << cause << '\n';
            return kExitStorageFailure;
        }
        return kExitDone;
    });

    CLI::App* meterName = AddCommand(app, "meter-name", "names a meter by family and number");
    AddNumber(*meterName, "FAMILY", given.family, "FAMILY", "0 blood glucose, 1 blood pressure",
              kInt16Min, kInt16Max)
        ->required();
    AddNumber(*meterName, "ID", given.device, "ID", "the device number", kInt16Min, kInt16Max)
        ->required();
    cmdline::AddFlag(*meterName, "--no-default", given.noDefault,
                     "an unknown number gives an empty name");
    commands.emplace_back(meterName, [](Context& ctx, const StartupResult&, const Given& g,
                                        std::ostream& out, std::ostream&) {
        PrintRow(out, {GetImportDesc(ctx, *g.family, *g.device, !g.noDefault)});
        return kExitDone;
    });

    commands.emplace_back(
        AddCommand(app, "ledger", "lists every ledger entry (ID, text), newest first"),
        [](Context& ctx, const StartupResult&, const Given&, std::ostream& out, std::ostream&) {
            for (const ListEntry& e : FillEntryList(ctx))
                PrintRow(out, {std::to_string(e.itemData), e.text});
            return kExitDone;
        });

    CLI::App* faulty = AddCommand(app, "faulty", "records faulty measurements");
    AddText(*faulty, "--count", given.count, "TEXT", "the number of strips lost")->required();
    AddText(*faulty, "--date", given.date, "TEXT", "the day (d.m.yyyy)")->required();
    AddNumber(*faulty, "--meter", given.position, "POSITION",
              "position in the dialog's fixed meter table; -1 none; default as remembered");
    commands.emplace_back(faulty, [](Context& ctx, const StartupResult&, const Given& g,
                                     std::ostream&, std::ostream& err) {
        const FaultyForm form = LoadFaultyMeasurement(ctx);
        const int position = g.position.value_or(form.selected);
        if (position < -1 || position >= static_cast<int>(form.meters.size()))
            throw UsageError{"--meter position out of the meter list"};
        return ReportEntry(ConfirmFaultyMeasurement(ctx, *g.count, *g.date, position), err);
    });

    CLI::App* unledger = AddCommand(app, "ledger-delete", "deletes one ledger entry");
    AddId(*unledger, given, "the entry's ID (see ledger)");
    commands.emplace_back(unledger, [](Context& ctx, const StartupResult&, const Given& g,
                                       std::ostream&, std::ostream& err) {
        if (!Lists(FillEntryList(ctx), *g.id)) return NotFound("ledger entry", *g.id, err);
        if (std::string cause; !DeleteEntry(ctx, *g.id, &cause)) {
            err << "Der Eintrag konnte nicht gelöscht werden !\n" << cause << '\n';
            return kExitStorageFailure;
        }
        return kExitDone;
    });

    CLI::App* report =
        AddCommand(app, "report", "writes the consumption report for the doctor (PDF)");
    AddText(*report, "FILE", given.file, "FILE", "the PDF file to write (replaced when it exists)")
        ->required();
    AddText(*report, "--from", given.from, "DATE",
            "first day (d.m.yyyy); default: the last four complete quarters");
    AddText(*report, "--to", given.to, "DATE", "last day (d.m.yyyy); default: today");
    commands.emplace_back(report, [](Context& ctx, const StartupResult& start, const Given& g,
                                     std::ostream&, std::ostream& err) {
        const double today = OleDateOnly(ctx.clock());
        ReportPeriod period = DefaultReportPeriod(today);
        const auto from = DayOf(g.from, "--from", err);
        const auto to = DayOf(g.to, "--to", err);
        if ((from && *from < 0) || (to && *to < 0)) return kExitInputRefused;
        if (from) period.from = *from;
        if (to) period.to = *to;
        if (from && !to) period.to = today;
        const ReportTable table = MakeReport(ctx, start.stripList, period);
        const GuiForFonts gui;
        if (std::string reason; !WriteReportPdf(table, ReportProgramLine(), *g.file, &reason)) {
            err << kReportFailedMessage << '\n' << reason << '\n';
            return kExitStorageFailure;
        }
        return kExitDone;
    });

    CLI::App* exportLedger = AddCommand(app, "export-ledger", "writes every ledger entry as CSV");
    AddText(*exportLedger, "FILE", given.file, "FILE",
            "the CSV file to write (replaced when it exists)")
        ->required();
    commands.emplace_back(exportLedger, [](Context& ctx, const StartupResult&, const Given& g,
                                           std::ostream&, std::ostream& err) {
        if (std::string reason; !ExportLedger(ctx, *g.file, &reason)) {
            err << kExportFailedMessage << '\n' << reason << '\n';
            return kExitStorageFailure;
        }
        return kExitDone;
    });
    return commands;
}

}  // namespace

int RunCliWithContext(Context& ctx, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err) {
    CLI::App app("Keeps account of blood-glucose test strips; the twin of the window.", kProgram);
    cmdline::Setup(app,
                   "Every command but help starts as the window does (exit status 3 when it is "
                   "refused).\nOutput is UTF-8, one row a line, cells separated by tabs. Exit "
                   "status: 0 done,\n1 an input check failed, 2 usage error, 3 start refused, 4 "
                   "storage failure.");
    Given given;
    cmdline::AddText(app, "--host", given.host, "TEXT",
                     "the host's command line (default empty: host key VELLIND4)");
    cmdline::AddText(app, "--program-dir", given.programDir, "DIR",
                     "the program's folder, where the companion database lives");
    cmdline::AddText(app, "--diary", given.diary, "FILE",
                     "a diary file to use instead of the host's; its companion database is "
                     "kept in $XDG_DATA_HOME/stripstock (~/.local/share/stripstock)");
    const auto commands = DeclareCommands(app, given);

    if (const auto status = cmdline::Parse(app, args, out, err)) return *status;
    const CLI::App* chosen = app.get_subcommands().front();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [chosen](const auto& c) { return c.first == chosen; });
    if (given.programDir) ctx.programDir = *given.programDir;
    if (given.diary) {
        if (given.diary->empty()) return cmdline::ReportUsage(app, {"--diary needs a file"}, err);
        ctx.diaryFile = *given.diary;
    }

    static const std::set<std::string> showsOutlook = {"forecast", "history"};
    const StartupResult start =
        RunStartup(ctx, given.host.value_or(""),
                   showsOutlook.count(chosen->get_name()) != 0 ? Outlook::Made : Outlook::Left);
    if (start.refused) {
        err << RefusalText(start, "stripstock-cli --diary DATEI BEFEHL") << '\n';
        return kExitStartRefused;
    }
    // What is read from the companion database is not shown as an empty result when the
    // database could not be read.
    static const std::set<std::string> readsCompanion = {"strips",
                                                         "consumption",
                                                         "forecast",
                                                         "history",
                                                         "prescription-tree",
                                                         "prescription-list",
                                                         "strip-show",
                                                         "ledger",
                                                         "report",
                                                         "export-ledger"};
    if (!start.companionProblem.empty() && readsCompanion.count(chosen->get_name()) != 0) {
        err << kCompanionUnreadableMessage << start.companionProblem << '\n';
        return kExitStorageFailure;
    }
    try {
        return it->second(ctx, start, given, out, err);
    } catch (const UsageError& e) {
        return cmdline::ReportUsage(app, e, err);
    }
}

int RunCli(const std::vector<std::string>& args, const std::string& exeDir, std::ostream& out,
           std::ostream& err) {
    Context ctx = MakeContext(exeDir);
    return RunCliWithContext(ctx, args, out, err);
}

}  // namespace stripstock
