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
using PatientRow = std::vector<std::pair<std::string, dao::Value>>;
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

// The Jet error f raised, with its message; {0, ""} when none.
template <typename F>
std::pair<int, std::string> Raised(F&& f) {
    try {
        f();
    } catch (const dao::JetError& e) {
        return {e.number(), e.what()};
    }
    return {0, ""};
}

}  // namespace stripstock::test
