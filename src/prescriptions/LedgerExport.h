#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Context.h"

namespace stripstock {

// One row of teststrips with the name of what it counts against.
struct LedgerRecord {
    std::int32_t id = 0;
    std::optional<double> date;  // OLE date; nullopt for a row without one
    std::int32_t amount = 0;     // as stored: > 0 received, < 0 faulty measurements
    std::int32_t type = 0;
    // A prescription's strip definition as stored now ("" once deleted); a faulty
    // measurement's meter as GetImportDesc names it.
    std::string name;

    bool Faulty() const { return amount < 0; }
    // The number of strips, always positive (-2147483648 has no 32-bit counterpart).
    std::int64_t Count() const { return amount < 0 ? -static_cast<std::int64_t>(amount) : amount; }
};

// Every ledger row, newest first as the ledger list shows them. nullopt, with cause ("<path>:
// ...") when given, when the companion database or its ledger cannot be read.
std::optional<std::vector<LedgerRecord>> ReadLedger(Context& ctx, std::string* cause = nullptr);

inline constexpr const char* kLedgerCsvHeader = "Datum;Art;Menge;Teststreifen oder Messgerät";
inline constexpr const char* kReceiptKind = "Bezug";
inline constexpr const char* kFaultyKind = "Fehlmessung";

// One CSV field for a spreadsheet: a value starting with = + - @, a tab or a carriage return
// gets a leading apostrophe so it is never run as a formula; a value holding ; " CR or LF is
// quoted with its quotes doubled.
std::string CsvField(std::string_view value);

// The ledger as a spreadsheet set to German reads it: UTF-8 with byte-order mark, ";" between
// fields, CRLF line ends, the header row, then one row per entry, oldest first (entries of one
// day in the order they were made), so the rows read like an account statement.
std::string LedgerCsv(std::vector<LedgerRecord> entries);

// Reads the ledger and writes its CSV to path atomically. False, with reason, when the ledger
// could not be read or the file not written; then no file is left behind.
bool ExportLedger(Context& ctx, const std::string& path, std::string* reason = nullptr);

// The first line of what the user is told when the export fails; the reason follows.
inline constexpr const char* kExportFailedMessage =
    "Die Verordnungen konnten nicht exportiert werden !";

}  // namespace stripstock
