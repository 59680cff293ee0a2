#include "DataFixtures.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "text/OleDate.h"

namespace stripstock::test {

void MakeDiary(const std::string& path, const std::vector<PatientRow>& patients,
               const std::vector<Reading>& readings, const std::string& password) {
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
        for (const auto& [column, value] : p.columns) rs->SetField(column, value);
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

FileState StateOf(const std::string& path) {
    FileState s{ReadBytes(path), std::filesystem::last_write_time(path), {}};
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        s.folder.push_back(entry.path().filename().string());
    std::sort(s.folder.begin(), s.folder.end());
    return s;
}

namespace {

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& env,
                         const std::string& errFile) {
    std::string command = "exec env";
    for (const auto& [name, value] : env) command += " " + ShellQuote(name + "=" + value);
    for (const std::string& arg : argv) command += " " + ShellQuote(arg);
    command += " 2>" + (errFile.empty() ? std::string("/dev/null") : ShellQuote(errFile));
    ProcessResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 65536> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) result.out.append(buf.data(), n);
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

bool HaveProgram(const std::string& name) {
    return RunProcess({"sh", "-c", "command -v " + ShellQuote(name)}).status == 0;
}

}  // namespace stripstock::test
