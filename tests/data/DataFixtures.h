#pragma once

#include <algorithm>
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
inline void MakeDiary(const std::string& path, const std::vector<PatientRow>& patients,
                      const std::vector<Reading>& readings, const std::string& password = {}) {
    dao::EngineFactory engines;
    auto db = engines.Create("DAO.DBEngine.36")->CreateDatabase(path, dao::dbLangGeneral, 0);
    dao::TableDef patdat = db->CreateTableDef("patdat");
    for (const char* text : {"number", "name", "firstname", "street", "zip", "city", "phone", "fax",
                             "email", "insurance", "insurancenumber"})
        patdat.AppendField(patdat.CreateField(text, dao::dbText, 100));
    patdat.AppendField(patdat.CreateField("birthday", dao::dbDate));
    for (const char* whole :
         {"gender", "typ", "height", "DiabetesSince", "OADSince", "InsulinSince", "CPeptid"})
        patdat.AppendField(patdat.CreateField(whole, dao::dbInteger));
    db->AppendTableDef(patdat);
    dao::TableDef glucose = db->CreateTableDef("GLUCOSE");
    glucose.AppendField(glucose.CreateField("vdate", dao::dbDate));
    glucose.AppendField(glucose.CreateField("vtime", dao::dbDate));
    glucose.AppendField(glucose.CreateField("value", dao::dbLong));
    glucose.AppendField(glucose.CreateField("method", dao::dbInteger));
    db->AppendTableDef(glucose);
    auto rs = db->OpenRecordset("patdat", dao::dbOpenDynaset);
    for (const PatientRow& p : patients) {
        rs->AddNew();
        for (const auto& [column, value] : p) rs->SetField(column, value);
        rs->Update();
    }
    rs = db->OpenRecordset("GLUCOSE", dao::dbOpenDynaset);
    for (const Reading& r : readings) {
        rs->AddNew();
        rs->SetField("vdate", r.vdate);
        rs->SetField("vtime", r.vdate - static_cast<double>(static_cast<long long>(r.vdate)));
        rs->SetField("value", std::int64_t{r.value});
        rs->SetField("method", std::int64_t{r.method});
        rs->Update();
    }
    rs->Close();
    db->Close();
    if (!password.empty()) dao::SetDatabasePassword(path, password);
}

// A file's bytes and time of last change, and the names in its folder: what a reader must
// leave as it was.
struct FileState {
    std::string bytes;
    std::filesystem::file_time_type written;
    std::vector<std::string> folder;
    bool operator==(const FileState&) const = default;
};

inline FileState StateOf(const std::string& path) {
    FileState s{ReadBytes(path), std::filesystem::last_write_time(path), {}};
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        s.folder.push_back(entry.path().filename().string());
    std::sort(s.folder.begin(), s.folder.end());
    return s;
}

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
