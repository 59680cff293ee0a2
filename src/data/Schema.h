#pragma once

#include <string>

#include "data/Dao.h"
#include "host/Context.h"

namespace stripstock {

// Adds the table "strips" with its five columns to an open database.
void AppendStripsTable(dao::Database& db);

// Creates the companion database with the empty tables "teststrips" and "strips" when no file
// exists at path; an existing file is never touched. Half-made builds of killed processes
// beside it are removed either way.
void CreateCompanionDatabase(Context& ctx, const std::string& path);

// Adds whichever of "teststrips" and "strips" the companion database (StripDbPath) lacks. A
// file that holds neither but other tables is not ours and is left alone. "" when both tables
// are there afterwards, else the cause for the user.
std::string EnsureCompanionTables(Context& ctx);

// "" when the companion database can be read and holds both tables, else the cause for the
// user (German).
std::string CompanionProblem(Context& ctx);

}  // namespace stripstock
