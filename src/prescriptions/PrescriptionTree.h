#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// A node of the prescription tree: "K0"/"Alle" for all prescriptions, "K<type>" per strip type.
struct TreeNode {
    std::string key;
    std::string text;
};

// A row of the prescription list: key "K<ID>", the short date, the amount as stored and the
// strip name.
struct PrescriptionRow {
    std::string key;
    std::string date;
    std::string amount;
    std::string strip;
};

inline constexpr const char* kAllNodeKey = "K0";
inline constexpr const char* kAllNodeText = "Alle";

// Column titles of the prescription list, in order; each column's key equals its title.
inline constexpr std::array<std::string_view, 3> kPrescriptionColumns = {"Datum", "Menge",
                                                                         "Streifen"};

// The root node first, then one child per strip type that has prescriptions, in the order the
// grouping query returns them. Names come from the main window's strip list. Only the root when
// the companion database cannot be read.
std::vector<TreeNode> FillPrescriptionTree(Context& ctx, const std::vector<ListEntry>& stripList);

// The statement FillPrescriptionList runs: type > 0 restricts it to that type.
std::string PrescriptionListSql(std::int32_t type);

// The prescriptions (Amount > 0), newest first; type > 0 restricts them to that strip type.
// Empty when the companion database cannot be read.
std::vector<PrescriptionRow> FillPrescriptionList(Context& ctx,
                                                  const std::vector<ListEntry>& stripList,
                                                  std::int32_t type);

// The ledger ID behind a prescription row's key "K<ID>"; nullopt when it names none.
std::optional<std::int32_t> LedgerIdFromRowKey(const std::string& key);

// Node key -> type: every "K" removed, the rest as a number; 0 (all) when it is none.
std::int32_t TypeFromNodeKey(const std::string& key);

}  // namespace stripstock
