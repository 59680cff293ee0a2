#include "DataFixtures.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "data/Schema.h"
#include "text/OleDate.h"

namespace stripstock::test {

TempDir::TempDir() {
    std::random_device rd;
    m_path = std::filesystem::temp_directory_path() /
             ("stripstock-data-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Context MakeTestContext() {
    Context ctx;
    ctx.engines = std::make_shared<dao::EngineFactory>();
    ctx.DbPassword = "quomba";
    return ctx;
}

double Date(int year, int month, int day, int hour, int minute) {
    return ToOleDate(CivilDateTime{year, month, day, hour, minute, 0});
}

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

void AddLedgerRow(dao::Database& db, double date, std::int16_t type, std::int16_t amount) {
    auto rs = db.OpenRecordset("teststrips", dao::dbOpenDynaset);
    rs->AddNew();
    rs->SetField("date", date);
    rs->SetField("type", std::int64_t{type});
    rs->SetField("amount", std::int64_t{amount});
    rs->Update();
    rs->Close();
}

std::shared_ptr<dao::Database> OpenCompanion(const std::string& path, bool readOnly) {
    dao::EngineFactory engines;
    return engines.Create("DAO.DBEngine.35")->OpenDatabase(path, false, readOnly);
}

dao::Value FirstValue(dao::Database& db, const std::string& sql, const std::string& field) {
    auto rs = db.OpenRecordset(sql, dao::dbOpenDynaset);
    rs->MoveFirst();
    return rs->GetField(field);
}

}  // namespace stripstock::test
