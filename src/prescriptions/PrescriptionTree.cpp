#include "prescriptions/PrescriptionTree.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <memory>

#include "data/Dao.h"
#include "data/ScopedDatabase.h"
#include "prescriptions/LedgerStore.h"
#include "strips/Catalogue.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kTypeGroupsSql = "Select type FROM teststrips WHERE amount > 0 group by type";

// The strip name for a Type field; Null names nothing.
std::string StripNameOf(const std::vector<ListEntry>& stripList, const dao::Value& type) {
    if (dao::IsNull(type)) return {};
    return StripNameIn(stripList, dao::ToLong(type));
}

}  // namespace

std::vector<TreeNode> FillPrescriptionTree(Context& ctx, const std::vector<ListEntry>& stripList) {
    std::vector<TreeNode> nodes{{kAllNodeKey, kAllNodeText}};
    auto companion = ScopedDatabase::ThroughSession(ctx, ctx.StripDbPath, /*readOnly=*/true,
                                                    "FillPrescriptionTree");
    const auto rs = companion.OpenRecordset(kTypeGroupsSql, dao::dbOpenDynaset);
    if (!rs) return nodes;

    ForEachRow(*rs, "FillPrescriptionTree", [&] {
        const dao::Value type = rs->GetField("type");
        // A Null group forms no key; type 0 would repeat the root's key.
        if (dao::IsNull(type)) return;
        const std::int32_t id = dao::ToLong(type);
        std::string key = "K" + std::to_string(id);
        const bool taken = std::any_of(nodes.begin(), nodes.end(),
                                       [&](const TreeNode& n) { return n.key == key; });
        if (taken) return;
        nodes.push_back({std::move(key), StripNameIn(stripList, id)});
    });
    return nodes;
}

std::string PrescriptionListSql(std::int32_t type) {
    std::string sql = "Select * FROM teststrips WHERE amount > 0 ";
    if (type > 0) sql += " AND type=" + std::to_string(type);
    sql += " ORDER by date DESC";
    return sql;
}

std::vector<PrescriptionRow> FillPrescriptionList(Context& ctx,
                                                  const std::vector<ListEntry>& stripList,
                                                  std::int32_t type) {
    std::vector<PrescriptionRow> rows;
    auto companion = ScopedDatabase::ThroughSession(ctx, ctx.StripDbPath, /*readOnly=*/true,
                                                    "FillPrescriptionList");
    const auto rs = companion.OpenRecordset(PrescriptionListSql(type), dao::dbOpenDynaset);
    if (!rs) return rows;

    ForEachRow(*rs, "FillPrescriptionList", [&] {
        PrescriptionRow row;
        row.key = "K" + std::to_string(dao::ToLong(rs->GetField("id")));
        const dao::Value date = rs->GetField("date");
        if (!dao::IsNull(date)) row.date = FormatShortDate(dao::ToDate(date));
        const dao::Value amount = rs->GetField("amount");
        (void)dao::ToLong(amount);  // a count beyond 32 bits is damage, not a prescription
        row.amount = dao::ToText(amount);
        row.strip = StripNameOf(stripList, rs->GetField("type"));
        rows.push_back(std::move(row));
    });
    return rows;
}

std::optional<std::int32_t> LedgerIdFromRowKey(const std::string& key) {
    if (key.size() < 2 || key.front() != 'K') return std::nullopt;
    std::int32_t id = 0;
    const char* last = key.data() + key.size();
    const auto [end, ec] = std::from_chars(key.data() + 1, last, id);
    if (ec != std::errc() || end != last || id < 1) return std::nullopt;
    return id;
}

std::int32_t TypeFromNodeKey(const std::string& key) {
    std::string rest;
    std::copy_if(key.begin(), key.end(), std::back_inserter(rest), [](char c) { return c != 'K'; });
    const std::string number = trim(rest);
    std::int32_t type = 0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, type);
    if (ec != std::errc() || end != last || number.empty()) return 0;
    return type;
}

}  // namespace stripstock
