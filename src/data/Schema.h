#pragma once

#include <string>

#include "data/Dao.h"
#include "host/Context.h"

namespace stripstock {

// Adds the table "strips" with its five columns to an open database.
void AppendStripsTable(dao::Database& db);

// Creates the companion database with the empty tables "teststrips" and "strips". Used only
// when no file exists at path; an existing file is never touched.
void CreateCompanionDatabase(Context& ctx, const std::string& path);

}  // namespace stripstock
