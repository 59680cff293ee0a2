#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "host/Context.h"

namespace stripstock::test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

Context MakeTestContext();

double Date(int year, int month, int day, int hour = 0, int minute = 0);

// A blood-glucose reading of the diary.
struct Reading {
    double vdate;
    std::int32_t value;
    std::int16_t method;
};

// A host diary: patdat (owner rows, each a list of column/value pairs) and
// GLUCOSE(vdate, vtime, value, method), built with the engine's own API.
struct PatientRow {
    std::vector<std::pair<std::string, dao::Value>> columns;
};
void MakeDiary(const std::string& path, const std::vector<PatientRow>& patients,
               const std::vector<Reading>& readings, const std::string& password = {});

// Appends a ledger row to teststrips through a dynaset, as the entry dialogs do.
void AddLedgerRow(dao::Database& db, double date, std::int16_t type, std::int16_t amount);

// Opens a companion database made by CreateCompanionDatabase.
std::shared_ptr<dao::Database> OpenCompanion(const std::string& path, bool readOnly = false);

// Runs a query and reads one field of its first row.
dao::Value FirstValue(dao::Database& db, const std::string& sql, const std::string& field);

// A file's bytes and time of last change, and the names in its folder: what a reader must
// leave as it was.
struct FileState {
    std::string bytes;
    std::filesystem::file_time_type written;
    std::vector<std::string> folder;
    bool operator==(const FileState&) const = default;
};
FileState StateOf(const std::string& path);

// Runs a program (found on PATH when argv[0] has no '/') with extra environment variables;
// its stdout is returned, its stderr goes to errFile (discarded when empty).
struct ProcessResult {
    int status = -1;  // the exit status; -1 when it could not run or was killed
    std::string out;
};
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& env = {},
                         const std::string& errFile = {});
// True when the program can be found on PATH.
bool HaveProgram(const std::string& name);

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
