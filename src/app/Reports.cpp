#include "app/Reports.h"

#include <cstdio>

#include "app/ProgramInfo.h"
#include "data/Session.h"
#include "prescriptions/LedgerExport.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

ReportTable MakeReport(Context& ctx, const std::vector<ListEntry>& stripList, ReportPeriod period) {
    std::vector<ReportEntry> ledger;
    // An unreadable ledger leaves the lists empty, as it leaves the figures.
    if (const auto entries = ReadLedger(ctx)) {
        for (const LedgerRecord& e : *entries) {
            if (!e.date) continue;
            ledger.push_back({*e.date, e.Faulty() ? -e.Count() : e.Count(), e.name});
        }
    }
    return ComputeReportTable(ctx, stripList, period, ledger);
}

std::string ReportOwner(Context& ctx) {
    PatientRecord patient;
    db_GetPatient(ctx, ctx.DiaryDbPath, patient);
    return trim(patient.DisplayName());
}

std::string ReportFileName(const std::string& owner, double today, const std::string& extension) {
    std::string name;
    for (const char c : owner) {
        const auto u = static_cast<unsigned char>(c);
        if (c == ' ' || c == '-' || c == '_') {
            if (!name.empty() && name.back() != '-') name += '-';
        } else if (u >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                   (c >= 'a' && c <= 'z') || c == '.') {
            name += c;
        }
    }
    while (!name.empty() && (name.back() == '-' || name.back() == '.')) name.pop_back();
    while (!name.empty() && (name.front() == '-' || name.front() == '.')) name.erase(0, 1);
    const CivilDateTime day = FromOleDate(today);
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", day.year, day.month, day.day);
    return "Teststreifen-Nachweis-" + (name.empty() ? std::string() : name + "-") + date + "." +
           extension;
}

std::string ReportProgramLine() { return VersionLine(kProgramName); }

}  // namespace stripstock
