#include "cli/Cli.h"

#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <optional>

#include "app/Startup.h"
#include "consumption/ConsumptionTable.h"
#include "meters/ImportDesc.h"
#include "prescriptions/FaultyMeasurement.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/NewPrescription.h"
#include "prescriptions/PrescriptionTree.h"
#include "strips/Catalogue.h"
#include "strips/StripProperties.h"

namespace stripstock {

namespace {

constexpr const char* kUsage =
    "usage: stripstock-cli [--host TEXT] [--program-dir DIR] COMMAND [ARGS]\n"
    "commands:\n"
    "  help\n"
    "  status\n"
    "  strips\n"
    "  consumption\n"
    "  prescription-tree\n"
    "  prescription-list [--type N]\n"
    "  new-prescription --amount TEXT --date TEXT [--strip POSITION]\n"
    "  strip-meters\n"
    "  strip-show ID\n"
    "  strip-save [--id ID] [--name T] [--manufacturer T] [--pzn T] [--select POS,POS,...]\n"
    "  strip-delete ID\n"
    "  meter-name FAMILY ID [--no-default]\n"
    "  ledger\n"
    "  faulty --count TEXT --date TEXT [--meter POSITION]\n"
    "  ledger-delete ID\n";

struct UsageError {
    std::string text;
};

std::optional<long> ParseWhole(const std::string& text) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

long RequireWhole(const std::string& text, const std::string& what) {
    const auto value = ParseWhole(text);
    if (!value) throw UsageError{what + " must be a whole number: " + text};
    return *value;
}

// IDs, types and list positions are 32-bit in the core; a larger number must not wrap round
// to another row (4294967297 would otherwise delete the strip with ID 1).
std::int32_t RequireLong(const std::string& text, const std::string& what) {
    const long value = RequireWhole(text, what);
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw UsageError{what + " is out of range: " + text};
    }
    return static_cast<std::int32_t>(value);
}

// Command arguments: positional words and "--name value" options ("--flag" alone for flags).
class Args {
  public:
    Args(const std::vector<std::string>& words, const std::vector<std::string>& flags) {
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string& w = words[i];
            if (w.rfind("--", 0) == 0) {
                const std::string name = w.substr(2);
                if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
                    m_options[name] = "";
                } else {
                    if (i + 1 >= words.size()) throw UsageError{"missing value for " + w};
                    m_options[name] = words[++i];
                }
            } else {
                m_positional.push_back(w);
            }
        }
    }

    void Allow(const std::vector<std::string>& names, std::size_t positionals) const {
        for (const auto& [name, value] : m_options) {
            if (std::find(names.begin(), names.end(), name) == names.end())
                throw UsageError{"unknown option --" + name};
        }
        if (m_positional.size() != positionals) throw UsageError{"wrong number of arguments"};
    }

    std::optional<std::string> Option(const std::string& name) const {
        const auto it = m_options.find(name);
        if (it == m_options.end()) return std::nullopt;
        return it->second;
    }
    std::string Require(const std::string& name) const {
        auto value = Option(name);
        if (!value) throw UsageError{"missing --" + name};
        return *value;
    }
    bool Has(const std::string& name) const { return m_options.count(name) != 0; }
    const std::string& Positional(std::size_t i) const { return m_positional.at(i); }

  private:
    std::map<std::string, std::string> m_options;
    std::vector<std::string> m_positional;
};

struct Command {
    std::vector<std::string> flags;
    std::function<int(Context&, const StartupResult&, const Args&, std::ostream&, std::ostream&)>
        run;
};

void PrintRow(std::ostream& out, std::initializer_list<std::string> cells) {
    bool first = true;
    for (const auto& cell : cells) {
        if (!first) out << '\t';
        out << cell;
        first = false;
    }
    out << '\n';
}

int ReportEntry(const EntryOutcome& outcome, std::ostream& err) {
    if (outcome.closed) return kExitDone;
    err << outcome.message << '\n';
    return outcome.storageFailure ? kExitStorageFailure : kExitInputRefused;
}

std::vector<bool> SelectionFromPositions(const std::string& list, std::size_t count) {
    std::vector<bool> selected(count, false);
    std::size_t start = 0;
    while (start <= list.size() && !list.empty()) {
        const std::size_t comma = list.find(',', start);
        const std::string word = list.substr(start, comma - start);
        const long pos = RequireWhole(word, "--select");
        if (pos < 0 || static_cast<std::size_t>(pos) >= count)
            throw UsageError{"--select position out of the meter list: " + word};
        selected[static_cast<std::size_t>(pos)] = true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return selected;
}

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"status",
         {{},
          [](Context& ctx, const StartupResult& start, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 0);
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
          }}},
        {"strips",
         {{},
          [](Context&, const StartupResult& start, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 0);
              for (const ListEntry& e : start.stripList)
                  PrintRow(out, {std::to_string(e.itemData), e.text});
              return kExitDone;
          }}},
        {"consumption",
         {{},
          [](Context&, const StartupResult& start, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 0);
              const ConsumptionTable& table = start.consumption;
              PrintRow(out, {"Tagebuchinhaber:", table.owner});
              PrintRow(out, {"Berechnung beginnt ab:", table.startingDate.value_or("")});
              PrintRow(out, {"Teststreifen", "Verbrauch", "Bestand", "Letzte Verordnung"});
              for (const ConsumptionRow& row : table.rows)
                  PrintRow(out, {row.label, row.used, row.stock, row.lastPrescription});
              return kExitDone;
          }}},
        {"prescription-tree",
         {{},
          [](Context&, const StartupResult& start, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 0);
              for (const TreeNode& node : start.prescriptionTree)
                  PrintRow(out, {node.key, node.text});
              return kExitDone;
          }}},
        {"prescription-list",
         {{},
          [](Context& ctx, const StartupResult& start, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({"type"}, 0);
              const std::int32_t type =
                  args.Has("type") ? RequireLong(*args.Option("type"), "--type") : 0;
              PrintRow(out, {"Datum", "Menge", "Streifen"});
              for (const PrescriptionRow& row : FillPrescriptionList(ctx, start.stripList, type))
                  PrintRow(out, {row.date, row.amount, row.strip});
              return kExitDone;
          }}},
        {"new-prescription",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream&,
             std::ostream& err) {
              args.Allow({"amount", "date", "strip"}, 0);
              const NewPrescriptionForm form = LoadNewPrescription(ctx);
              const int position =
                  args.Has("strip") ? RequireLong(*args.Option("strip"), "--strip") : form.selected;
              if (position < -1 || position >= static_cast<int>(form.strips.size()))
                  throw UsageError{"--strip position out of the strip list"};
              return ReportEntry(ConfirmNewPrescription(ctx, form, args.Require("amount"),
                                                        args.Require("date"), position),
                                 err);
          }}},
        {"strip-meters",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 0);
              for (const ListEntry& e : LoadMeterList(ctx))
                  PrintRow(out, {std::to_string(e.itemData), e.text});
              return kExitDone;
          }}},
        {"strip-show",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 1);
              const std::int32_t id = RequireLong(args.Positional(0), "ID");
              const auto meters = LoadMeterList(ctx);
              const StripForm form = LoadStrip(ctx, id, meters);
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
          }}},
        {"strip-save",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream&,
             std::ostream& err) {
              args.Allow({"id", "name", "manufacturer", "pzn", "select"}, 0);
              const std::int32_t id = args.Has("id") ? RequireLong(*args.Option("id"), "--id") : 0;
              const auto meters = LoadMeterList(ctx);
              const auto selected =
                  SelectionFromPositions(args.Option("select").value_or(""), meters.size());
              const SaveOutcome outcome =
                  SaveStrip(ctx, id, args.Option("name").value_or(""),
                            args.Option("manufacturer").value_or(""),
                            args.Option("pzn").value_or(""), meters, selected);
              if (!outcome.saved) {
                  err << outcome.message << '\n';
                  return kExitStorageFailure;
              }
              return kExitDone;
          }}},
        {"strip-delete",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream&,
             std::ostream& err) {
              args.Allow({}, 1);
              const std::int32_t id = RequireLong(args.Positional(0), "ID");
              if (!DeleteStripDefinition(ctx, id)) {
                  err << "Der Teststreifen konnte nicht gelöscht werden !\n";
                  return kExitStorageFailure;
              }
              return kExitDone;
          }}},
        {"meter-name",
         {{"no-default"},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({"no-default"}, 2);
              const long family = RequireWhole(args.Positional(0), "FAMILY");
              const long id = RequireWhole(args.Positional(1), "ID");
              if (family < -32768 || family > 32767 || id < -32768 || id > 32767)
                  throw UsageError{"FAMILY and ID are 16-bit numbers"};
              out << GetImportDesc(ctx, static_cast<std::int16_t>(family),
                                   static_cast<std::int16_t>(id), !args.Has("no-default"))
                  << '\n';
              return kExitDone;
          }}},
        {"ledger",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream& out,
             std::ostream&) {
              args.Allow({}, 0);
              for (const ListEntry& e : FillEntryList(ctx))
                  PrintRow(out, {std::to_string(e.itemData), e.text});
              return kExitDone;
          }}},
        {"faulty",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream&,
             std::ostream& err) {
              args.Allow({"count", "date", "meter"}, 0);
              const FaultyForm form = LoadFaultyMeasurement(ctx);
              const int position =
                  args.Has("meter") ? RequireLong(*args.Option("meter"), "--meter") : form.selected;
              if (position < -1 || position >= static_cast<int>(form.meters.size()))
                  throw UsageError{"--meter position out of the meter list"};
              return ReportEntry(ConfirmFaultyMeasurement(ctx, args.Require("count"),
                                                          args.Require("date"), position),
                                 err);
          }}},
        {"ledger-delete",
         {{},
          [](Context& ctx, const StartupResult&, const Args& args, std::ostream&,
             std::ostream& err) {
              args.Allow({}, 1);
              const std::int32_t id = RequireLong(args.Positional(0), "ID");
              if (!DeleteEntry(ctx, id)) {
                  err << "Der Eintrag konnte nicht gelöscht werden !\n";
                  return kExitStorageFailure;
              }
              return kExitDone;
          }}},
    };
    return commands;
}

}  // namespace

int RunCliWithContext(Context& ctx, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err) {
    std::string host;
    std::size_t i = 0;
    try {
        for (; i < args.size() && args[i].rfind("--", 0) == 0 && args[i] != "--help"; ++i) {
            if (i + 1 >= args.size()) throw UsageError{"missing value for " + args[i]};
            if (args[i] == "--host") {
                host = args[++i];
            } else if (args[i] == "--program-dir") {
                ctx.programDir = args[++i];
            } else {
                throw UsageError{"unknown option " + args[i]};
            }
        }
        if (i >= args.size()) throw UsageError{"missing command"};
        if (args[i] == "help" || args[i] == "--help") {
            out << kUsage;
            return kExitDone;
        }
        const auto it = Commands().find(args[i]);
        if (it == Commands().end()) throw UsageError{"unknown command " + args[i]};
        const Args commandArgs(
            std::vector<std::string>(args.begin() + static_cast<long>(i) + 1, args.end()),
            it->second.flags);

        const StartupResult start = RunStartup(ctx, host);
        if (start.refused) {
            err << kRefusalMessage << '\n';
            return kExitStartRefused;
        }
        return it->second.run(ctx, start, commandArgs, out, err);
    } catch (const UsageError& e) {
        err << "stripstock-cli: " << e.text << "\n(stripstock-cli help lists the commands)\n";
        return kExitUsage;
    }
}

int RunCli(const std::vector<std::string>& args, const std::string& exeDir, std::ostream& out,
           std::ostream& err) {
    Context ctx = MakeContext(exeDir);
    return RunCliWithContext(ctx, args, out, err);
}

}  // namespace stripstock
