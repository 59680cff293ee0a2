#include "prescriptions/LedgerExport.h"

#include <algorithm>
#include <limits>

#include "data/Dao.h"
#include "data/Failure.h"
#include "data/ScopedDatabase.h"
#include "host/AtomicFile.h"
#include "meters/ImportDesc.h"
#include "prescriptions/LedgerStore.h"
#include "strips/Catalogue.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kAllEntriesSql = "Select * FROM teststrips ORDER by date DESC";

std::int32_t LongOrZero(const dao::Value& v) { return dao::IsNull(v) ? 0 : dao::ToLong(v); }

}  // namespace

std::optional<std::vector<LedgerRecord>> ReadLedger(Context& ctx, std::string* cause) {
    // Read before the ledger is opened: the catalogue goes through the shared session.
    const std::vector<ListEntry> catalogue = LoadStripList(ctx, ctx.StripDbPath);

    // Reading takes the diary's password too: a diary that is its own companion has one (a
    // companion without a password opens with any connect string).
    const std::string connect =
        "MS Access;pwd=" +
        (ctx.DbPassword.empty() ? std::string(kBuiltInPassword) : ctx.DbPassword);
    auto ledger = ScopedDatabase::WithOwnEngine(ctx, ctx.StripDbPath, /*readOnly=*/true,
                                                "ReadLedger", connect);
    if (!ledger) {
        if (cause) *cause = OpenFailureCause(ctx.StripDbPath, ledger.status(), ledger.error());
        return std::nullopt;
    }
    const auto rs = ledger.OpenRecordset(kAllEntriesSql, dao::dbOpenDynaset);
    if (!rs) {
        if (cause) {
            *cause = FailureCause(ctx.StripDbPath, dao::JetError(ledger.lastError(), "teststrips"));
        }
        return std::nullopt;
    }
    std::vector<LedgerRecord> entries;
    ForEachRow(*rs, "ReadLedger", [&] {
        LedgerRecord e;
        const dao::Value date = rs->GetField("date");
        if (!dao::IsNull(date)) e.date = dao::ToDate(date);
        e.amount = LongOrZero(rs->GetField("amount"));
        e.type = LongOrZero(rs->GetField("type"));
        e.id = dao::ToLong(rs->GetField("id"));
        e.name = e.Faulty() ? GetImportDesc(ctx, 0, static_cast<std::int16_t>(e.type), true)
                            : StripNameIn(catalogue, e.type);
        entries.push_back(std::move(e));
    });
    return entries;
}

std::string CsvField(std::string_view value) {
    std::string text;
    if (!value.empty() && std::string_view("=+-@\t\r").find(value.front()) != std::string::npos)
        text = "'";
    text += value;
    if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string LedgerCsv(std::vector<LedgerRecord> entries) {
    // Rows without a date go last; a day's entries in the order they were made (their IDs).
    std::stable_sort(entries.begin(), entries.end(),
                     [](const LedgerRecord& a, const LedgerRecord& b) {
                         const double da = a.date.value_or(std::numeric_limits<double>::infinity());
                         const double db = b.date.value_or(std::numeric_limits<double>::infinity());
                         return da != db ? da < db : a.id < b.id;
                     });
    std::string csv = "\xEF\xBB\xBF";
    csv += kLedgerCsvHeader;
    csv += "\r\n";
    for (const LedgerRecord& e : entries) {
        csv += CsvField(e.date ? FormatShortDate(*e.date) : std::string()) + ';';
        csv += CsvField(e.Faulty() ? kFaultyKind : kReceiptKind) + ';';
        csv += CsvField(std::to_string(e.Count())) + ';';
        csv += CsvField(e.name) + "\r\n";
    }
    return csv;
}

bool ExportLedger(Context& ctx, const std::string& path, std::string* reason) {
    const auto entries = ReadLedger(ctx, reason);
    if (!entries) return false;
    return WriteFileAtomically(Utf8Path(path), LedgerCsv(*entries), reason);
}

}  // namespace stripstock
