#pragma once

#include <string>
#include <vector>

#include "consumption/ReportTable.h"
#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// What the window's "Bericht..." and `stripstock-cli report` draw: the quarter figures and
// the ledger rows of the period, named as the ledger list names them.
ReportTable MakeReport(Context& ctx, const std::vector<ListEntry>& stripList, ReportPeriod period);

// The first line of what the user is told when the report cannot be written; the reason
// follows.
inline constexpr const char* kReportFailedMessage = "Der Bericht konnte nicht gespeichert werden !";

// The diary owner's name, "" when the diary cannot be read.
std::string ReportOwner(Context& ctx);

// "Teststreifen-Nachweis-<Name>-<yyyy-MM-dd>.<extension>"; the name keeps letters and digits
// (umlauts too), blanks become "-", and what a file name cannot hold is left out.
std::string ReportFileName(const std::string& owner, double today, const std::string& extension);

// "<program> <version>", the report's foot line.
std::string ReportProgramLine();

}  // namespace stripstock
