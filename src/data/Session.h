#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/Dao.h"
#include "host/Context.h"

namespace stripstock {

inline constexpr int kStatusEmptyPath = 53;

// Opens path with "DAO.DBEngine.36" (then "DAO.DBEngine.35" unless noOlderEngine), not
// exclusive, with the connect string "MS Access;pwd=" + DbPassword. A DbPassword shorter
// than 3 characters is first reset to the built-in one. Returns 0 when open, 53 for an empty
// path (engine and database untouched), else the number of the error that stopped the
// opening: 53/75 when the file cannot be read (tested before any engine is made), 429 when
// no engine class is available, or the engine's error; then engine and database are null.
// cause, when given, receives the failure for the user ("<path>: ...").
int db_init(const Context& ctx, std::shared_ptr<dao::DBEngine>& engine,
            std::shared_ptr<dao::Database>& database, const std::string& path, bool readOnly,
            bool noOlderEngine, std::string* cause = nullptr);

// Operations with an engine of their own (not the shared session) try "DAO.DBEngine.35"
// first and "DAO.DBEngine.36" as fallback. nullptr when neither can be created.
std::shared_ptr<dao::DBEngine> CreateOwnEngine(const Context& ctx);

// Opens a record set of that kind on the SQL text. Returns the error number (0 = opened;
// 91 without a database); on failure rs is left empty.
int db_OpenRecordset(const std::shared_ptr<dao::Database>& database,
                     std::shared_ptr<dao::Recordset>& rs, const std::string& sql, int kind);

// Closes record set, database and engine, in that order; skips what is not open.
void db_cleanup(std::shared_ptr<dao::DBEngine>& engine, std::shared_ptr<dao::Database>& database,
                std::shared_ptr<dao::Recordset>& rs);

struct PatientRecord {
    std::string number;
    std::int32_t reserved1 = 0;
    std::string reserved2;
    std::string name;
    std::string firstname;
    std::string street;
    std::string zip;
    std::string city;
    std::string phone;
    std::string fax;
    std::int16_t gender = 0;
    double birthday = 0.0;
    std::int16_t typ = 0;
    std::int16_t height = 0;
    std::string email;
    std::string insurance;
    std::string insurancenumber;
    std::int16_t DiabetesSince = 0;
    std::int16_t OADSince = 0;
    std::int16_t InsulinSince = 0;
    std::int16_t CPeptid = 0;
    std::string reserved3;
    std::string reserved4;
    std::string reserved5;
    std::string reserved6;

    std::string DisplayName() const { return firstname + " " + name; }
};

// Reads the diary owner (first row of patdat) through the shared session, read-only.
// Columns that are missing or Null leave their fields empty/0 and the reading goes on;
// reserved1 is kept from the caller's record, every other field is replaced. Returns the
// error that stopped the opening, else the last error of the reads, 0 if none.
int db_GetPatient(Context& ctx, const std::string& diaryPath, PatientRecord& record);

// The reading part of db_GetPatient, on a diary the caller has open (the consumption refresh
// reads the owner through the one open it makes of the diary).
int ReadPatient(const std::shared_ptr<dao::Database>& diary, PatientRecord& record);

// #m/d/yyyy# without leading zeros; the time of day is dropped.
std::string SqlDate(double oleDate);

// "#m/d/yyyy hh:mm#": a Jet date literal down to the minute (seconds are dropped).
std::string SqlDateTime(double oleDate);

}  // namespace stripstock
