#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "data/Dao.h"
#include "support/HostFixture.h"

namespace stripstock::test {

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

}  // namespace stripstock::test
