#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "host/Context.h"
#include "host/Registry.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "text/ListEntry.h"

namespace stripstock::test {

struct StripRow {
    std::int32_t id = 0;
    std::string desc, manufacturer, pzn, appliesTo;
};

struct LedgerRow {
    std::int32_t id = 0;
    double date = 0.0;
    dao::Value type;
    std::int32_t amount = 0;
};

// A host in a fresh temporary folder, as the program meets it: the registry store, the diary
// of Erika Mustermann (meier.vld), the program folder, and a context over them whose clock
// stands still at `now`. The diary and the companion database exist once asked for.
class TestHost {
  public:
    TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    std::string Path(const std::string& name) const { return dir.file(name); }

    // A context as the program builds one before start-up: registry, engines, program folder,
    // the clock, the host keys of the default host and the built-in password.
    Context MakeContext();

    // The host opens its diary: creates meier.vld, registers it and sets ctx.DiaryDbPath.
    void OpenDiary();
    // Adds count readings of one meter on one day to the diary.
    void AddReadings(int method, double day, int count);
    // An empty companion database at ctx.StripDbPath, by default MEIER.VLT in the program folder.
    void CreateCompanion();
    // The companion through an engine of its own, for writing; ctx.engines may be withdrawn.
    std::shared_ptr<dao::Database> OpenCompanion();

    // Appends a strip definition, reloads stripList and returns the new ID.
    std::int32_t AddStrip(const std::string& desc, const std::string& appliesTo = {},
                          const std::string& manufacturer = {}, const std::string& pzn = {});
    void DeleteStrip(std::int32_t id);
    std::vector<StripRow> Strips(const std::string& where = {});
    void ReloadStripList();
    // Appends a ledger row (Type Null when nullopt) and returns its ID.
    std::int32_t AddLedger(double date, std::optional<std::int32_t> type, std::int32_t amount);
    std::vector<LedgerRow> LedgerRows();

    void SetLastMeter(const std::string& value);
    // The stored "LastMeter", or "<none>" when it was never written.
    std::string LastMeter() const;
    // An import module of the host below HKEY_LOCAL_MACHINE\<host key>\MODULES.
    void AddModule(const std::string& name, std::optional<std::string> type,
                   std::optional<std::string> parameter, std::optional<std::string> desc);
    // The shared session holds nothing open between operations.
    bool SessionClosed() const;

    TempDir dir;
    std::shared_ptr<Registry> registry;  // the store registry.reg in dir
    std::string diary;                   // meier.vld in dir
    std::string programDir;              // program in dir
    double now;                          // 1.3.2010 12:00 unless a test moves it
    Context ctx = MakeContext();
    std::vector<ListEntry> stripList;  // the main window's strip list as last loaded
};

// Appends a ledger row to teststrips through a dynaset, as the entry dialogs do.
std::int32_t AddLedgerRow(dao::Database& db, double date, std::optional<std::int32_t> type,
                          std::int32_t amount);

// Runs a query and reads one field of its first row.
dao::Value FirstValue(dao::Database& db, const std::string& sql, const std::string& field);

// Runs f and returns the Jet error number it raised, 0 when none.
template <typename F>
int ErrorOf(F&& f) {
    try {
        f();
    } catch (const dao::JetError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace stripstock::test
