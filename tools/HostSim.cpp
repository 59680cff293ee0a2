#include "tools/HostSim.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "data/Dao.h"
#include "text/Cp1252.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock::hostsim {

namespace fs = std::filesystem;

namespace {

constexpr const char* kModulesSubkey = "\\MODULES\\";
constexpr const char* kImportIniName = "import.ini";

// --- diary database -------------------------------------------------------------------------

dao::Value Text(const std::string& s) { return dao::Value{s}; }
dao::Value Whole(std::int64_t n) { return dao::Value{n}; }
dao::Value Real(double d) { return dao::Value{d}; }

void AddField(dao::TableDef& table, const std::string& name, int type, int size = 0) {
    table.AppendField(table.CreateField(name, type, size));
}

void CreatePatdat(dao::Database& db) {
    dao::TableDef t = db.CreateTableDef("patdat");
    AddField(t, "number", dao::dbText, 20);
    AddField(t, "name", dao::dbText, 50);
    AddField(t, "firstname", dao::dbText, 50);
    AddField(t, "street", dao::dbText, 80);
    AddField(t, "zip", dao::dbText, 10);
    AddField(t, "city", dao::dbText, 50);
    AddField(t, "phone", dao::dbText, 30);
    AddField(t, "fax", dao::dbText, 30);
    AddField(t, "gender", dao::dbInteger);
    AddField(t, "birthday", dao::dbDate);
    AddField(t, "typ", dao::dbInteger);
    AddField(t, "height", dao::dbInteger);
    AddField(t, "email", dao::dbText, 100);
    AddField(t, "insurance", dao::dbText, 80);
    AddField(t, "insurancenumber", dao::dbText, 30);
    AddField(t, "DiabetesSince", dao::dbInteger);
    AddField(t, "OADSince", dao::dbInteger);
    AddField(t, "InsulinSince", dao::dbInteger);
    AddField(t, "CPeptid", dao::dbInteger);
    db.AppendTableDef(t);
}

void AddOwner(dao::Database& db, const std::string& firstName, const std::string& name) {
    auto rs = db.OpenRecordset("patdat", dao::dbOpenDynaset);
    rs->AddNew();
    rs->SetField("number", Text("1"));
    rs->SetField("name", Text(name));
    rs->SetField("firstname", Text(firstName));
    rs->SetField("street", Text("Lindenweg 12"));
    rs->SetField("zip", Text("34117"));
    rs->SetField("city", Text("Kassel"));
    rs->SetField("phone", Text("0561 123456"));
    rs->SetField("fax", Text("0561 123457"));
    rs->SetField("gender", Whole(2));
    rs->SetField("birthday", Real(ToOleDate({1964, 5, 14, 0, 0, 0})));
    rs->SetField("typ", Whole(1));
    rs->SetField("height", Whole(168));
    rs->SetField("email", Text("erika@example.org"));
    rs->SetField("insurance", Text("Betriebskrankenkasse Nord"));
    rs->SetField("insurancenumber", Text("A123456789"));
    rs->SetField("DiabetesSince", Whole(1987));
    rs->SetField("OADSince", Whole(0));
    rs->SetField("InsulinSince", Whole(1987));
    rs->SetField("CPeptid", Whole(0));
    rs->Update();
    rs->Close();
}

void CreateGlucose(dao::Database& db) {
    dao::TableDef t = db.CreateTableDef("GLUCOSE");
    AddField(t, "vdate", dao::dbDate);
    AddField(t, "vtime", dao::dbDate);
    AddField(t, "value", dao::dbLong);
    AddField(t, "method", dao::dbInteger);
    db.AppendTableDef(t);
}

// One reading as the host stores it.
struct Reading {
    double day = 0;
    double time = 0;
    int value = 0;
    int method = 0;
};

// Appends the readings in one transaction, straight through SQLite: the diary's password
// belongs to the host, and bulk loads must be quick.
void InsertReadings(const std::string& diaryPath, const std::vector<Reading>& readings) {
    if (!FileExists(diaryPath)) throw HostSimError("diary not found: " + diaryPath);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(diaryPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto fail = [&](const std::string& what) {
        std::string msg = what + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        throw HostSimError(msg + " (" + diaryPath + ")");
    };
    if (rc != SQLITE_OK) fail("cannot open the diary");
    sqlite3_busy_timeout(db, 5000);
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("cannot start a transaction");
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO GLUCOSE (vdate, vtime, value, method) VALUES (?,?,?,?)",
                           -1, &stmt, nullptr) != SQLITE_OK)
        fail("the diary has no usable GLUCOSE table");
    for (const Reading& r : readings) {
        sqlite3_bind_double(stmt, 1, r.day);
        sqlite3_bind_double(stmt, 2, r.time);
        sqlite3_bind_int(stmt, 3, r.value);
        sqlite3_bind_int(stmt, 4, r.method);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            sqlite3_finalize(stmt);
            fail("cannot add a reading");
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("cannot store the readings");
    sqlite3_close(db);
}

// A time of day rounded to the minute, as the host records it.
double MinuteOfDay(int minute) {
    minute = std::clamp(minute, 0, 24 * 60 - 1);
    return minute / 1440.0;
}

// Readings from the raw output of a fixed engine only (no library distributions), so that a
// seed gives the same rows with every standard library.
std::vector<Reading> MakeReadings(double fromDay, double toDay, int minPerDay, int maxPerDay,
                                  const std::vector<int>& methods, unsigned seed) {
    std::vector<Reading> out;
    if (minPerDay < 0 || maxPerDay < minPerDay)
        throw HostSimError("readings per day must be 0 or more");
    if (maxPerDay > 0 && methods.empty()) throw HostSimError("no meter codes given");
    const double first = OleDateOnly(fromDay);
    const double last = OleDateOnly(toDay);
    if (last < first) return out;
    std::mt19937 rng(seed);
    auto pick = [&](std::uint32_t n) { return static_cast<int>(rng() % n); };
    const auto span = static_cast<std::uint32_t>(maxPerDay - minPerDay + 1);
    for (double day = first; day <= last; day += 1.0) {
        const int count = minPerDay + pick(span);
        // Spread the readings over the waking hours, 6:30 to 22:30, with some jitter.
        const int slot = count > 0 ? (16 * 60) / count : 0;
        for (int k = 0; k < count; ++k) {
            const int minute =
                6 * 60 + 30 + k * slot + pick(static_cast<std::uint32_t>(slot / 2 + 1));
            Reading r;
            r.day = day;
            r.time = MinuteOfDay(minute);
            r.value = 60 + pick(181);
            r.method =
                methods[static_cast<std::size_t>(pick(static_cast<std::uint32_t>(methods.size())))];
            out.push_back(r);
        }
    }
    return out;
}

// --- import.ini -----------------------------------------------------------------------------

std::string TrimBlanks(const std::string& s) {
    const char* ws = " \t\r\n\v\f\x1a";
    const auto b = s.find_first_not_of(ws);
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return UCase(TrimBlanks(a)) == UCase(TrimBlanks(b));
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = TrimBlanks(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const auto close = t.rfind(']');
    if (close == std::string::npos) return std::nullopt;
    return t.substr(1, close - 1);
}

std::optional<std::string> KeyOf(const std::string& line) {
    const std::string t = TrimBlanks(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return t.substr(0, eq);
}

std::vector<std::string> ReadLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::error_code ec;
    if (!fs::exists(file, ec)) return lines;
    std::ifstream in(file, std::ios::binary);
    // A file that is there but cannot be read must not be replaced by a fresh one.
    if (!in || !fs::is_regular_file(file, ec)) throw HostSimError("cannot read " + file.string());
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string text = Cp1252ToUtf8(bytes);
    std::string line;
    std::istringstream ss(text);
    while (std::getline(ss, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void WriteAtomically(const fs::path& file, const std::string& bytes) {
    fs::path tmp = file;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) throw HostSimError("cannot write " + tmp.string());
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw HostSimError("cannot write " + tmp.string());
    }
    std::error_code ec;
    fs::rename(tmp, file, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw HostSimError("cannot replace " + file.string());
    }
}

void SetIniValue(std::vector<std::string>& lines, const std::string& section,
                 const std::string& key, const std::string& value) {
    const std::string entry = key + "=" + value;
    bool inSection = false;
    bool sectionSeen = false;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto s = SectionOf(lines[i])) {
            // Readers search only the first section of a name; later ones are left alone.
            if (inSection) break;
            inSection = !sectionSeen && SameName(*s, section);
            if (inSection) {
                sectionSeen = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (auto k = KeyOf(lines[i]); k && SameName(*k, key)) {
            lines[i] = entry;
            return;
        }
        if (!TrimBlanks(lines[i]).empty()) insertAt = i + 1;
    }
    if (sectionSeen) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        return;
    }
    while (!lines.empty() && TrimBlanks(lines.back()).empty()) lines.pop_back();
    if (!lines.empty()) lines.emplace_back();
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
}

void CheckIniName(const std::string& what, const std::string& name) {
    if (TrimBlanks(name).empty()) throw HostSimError(what + " must not be empty");
    if (name.find_first_of("\r\n") != std::string::npos)
        throw HostSimError(what + " must be one line");
}

}  // namespace

std::string HostRegKeyFor(const std::string& hostKey) {
    return std::string("SOFTWARE\\Tarvenholme\\") + hostKey;
}

void CreateDiary(const std::string& path, const std::string& firstName, const std::string& name,
                 const std::string& password) {
    if (path.empty()) throw HostSimError("no diary path given");
    const fs::path target(path);
    std::error_code ec;
    if (fs::exists(target, ec)) throw HostSimError("a file already exists at " + path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);

    // Built beside the target and renamed into place, so a failure leaves no half diary.
    fs::path tmp = target;
    tmp += ".new";
    fs::remove(tmp, ec);
    try {
        dao::EngineFactory factory;
        auto engine = factory.Create("DAO.DBEngine.36");
        auto db = engine->CreateDatabase(tmp.string(), dao::dbLangGeneral, dao::dbVersion30);
        CreatePatdat(*db);
        AddOwner(*db, firstName, name);
        CreateGlucose(*db);
        db->Close();
        if (!password.empty()) dao::SetDatabasePassword(tmp.string(), password);
    } catch (const dao::JetError& e) {
        fs::remove(tmp, ec);
        throw HostSimError("cannot create the diary " + path + ": " + e.what());
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw HostSimError("cannot create the diary " + path);
    }
}

namespace {

// "DataBaseName" of the host in hive names the diary (full path), as the host registers the
// diary it opens.
void RegisterDiary(Registry& reg, std::uint32_t hive, const std::string& hostKey,
                   const std::string& full) {
    if (!reg.RegWriteString(hive, HostRegKeyFor(hostKey), "DataBaseName", full))
        throw HostSimError("cannot write the host's registry values below " +
                           HostRegKeyFor(hostKey));
}

void CheckHost(std::uint32_t hive, const std::string& hostKey) {
    if (hive != kHkeyLocalMachine && hive != kHkeyCurrentUser)
        throw HostSimError("the host writes to HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER only");
    if (hostKey.empty() || hostKey.find('\\') != std::string::npos)
        throw HostSimError("invalid host key name: " + hostKey);
}

}  // namespace

std::string InitHost(Registry& reg, const InitOptions& opt) {
    CheckHost(opt.hive, opt.hostKey);
    if (opt.diaryPath.empty()) throw HostSimError("no diary path given");
    const std::string full = fs::absolute(fs::path(opt.diaryPath)).lexically_normal().string();
    CreateDiary(full, opt.firstName, opt.name, opt.password);
    RegisterDiary(reg, opt.hive, opt.hostKey, full);
    const std::string folder = fs::path(full).parent_path().string();
    if (!reg.RegWriteString(kHkeyLocalMachine, HostRegKeyFor(opt.hostKey), "path", folder))
        throw HostSimError("cannot write the host's registry values below " +
                           HostRegKeyFor(opt.hostKey));
    return full;
}

std::string UseDiary(Registry& reg, const std::string& diaryPath, std::uint32_t hive,
                     const std::string& hostKey) {
    CheckHost(hive, hostKey);
    if (diaryPath.empty()) throw HostSimError("no diary path given");
    const std::string full = fs::absolute(fs::path(diaryPath)).lexically_normal().string();
    std::error_code ec;
    if (!fs::is_regular_file(full, ec))
        throw HostSimError("no diary file at " + full + "; use-diary never creates one");
    RegisterDiary(reg, hive, hostKey, full);
    return full;
}

std::string RegisteredDiary(Registry& reg, const std::string& hostKey) {
    std::string value;
    const std::string key = HostRegKeyFor(hostKey);
    reg.RegReadValue(kHkeyLocalMachine, key, "DataBaseName", value);
    reg.RegReadValue(kHkeyCurrentUser, key, "DataBaseName", value);
    return trim(value);
}

void AddReadings(const std::string& diaryPath, int method, double oleDay, int count,
                 double timeOfDay) {
    if (count < 0) throw HostSimError("the number of readings must be 0 or more");
    if (!(timeOfDay >= 0.0 && timeOfDay < 1.0))
        throw HostSimError("the time of day must lie within the day");
    const double minute = std::round(timeOfDay * 1440.0);
    std::vector<Reading> rows(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].day = OleDateOnly(oleDay);
        rows[i].time = MinuteOfDay(static_cast<int>(minute));
        rows[i].value = 100 + static_cast<int>(i % 80);
        rows[i].method = method;
    }
    if (!rows.empty()) InsertReadings(diaryPath, rows);
}

void Generate(const std::string& diaryPath, double fromDay, double toDay, int perDay,
              const std::vector<int>& methods, unsigned seed) {
    const auto rows = MakeReadings(fromDay, toDay, perDay, perDay, methods, seed);
    if (!rows.empty()) InsertReadings(diaryPath, rows);
}

void RegisterModule(Registry& reg, const std::string& hostKey, const std::string& name,
                    std::optional<std::string> type, std::optional<std::string> parameter,
                    std::optional<std::string> desc) {
    if (name.empty() || name.find('\\') != std::string::npos)
        throw HostSimError("invalid module name: " + name);
    const std::string key = HostRegKeyFor(hostKey) + kModulesSubkey + name;
    if (!reg.RegKeyExists(kHkeyLocalMachine, key)) reg.RegAddKey(kHkeyLocalMachine, key, "");
    if (!reg.RegKeyExists(kHkeyLocalMachine, key))
        throw HostSimError("cannot create the module key " + key);
    const std::pair<const char*, const std::optional<std::string>*> values[] = {
        {"type", &type}, {"parameter", &parameter}, {"desc", &desc}};
    for (const auto& [valueName, value] : values) {
        if (*value && !reg.RegWriteString(kHkeyLocalMachine, key, valueName, **value))
            throw HostSimError(std::string("cannot write \"") + valueName + "\" of " + key);
    }
}

void WriteImportIni(Registry& reg, const std::string& hostKey, const std::string& section,
                    const std::string& key, const std::string& value) {
    CheckIniName("the section name", section);
    CheckIniName("the key", key);
    if (section.find(']') != std::string::npos) throw HostSimError("invalid section name");
    if (key.find('=') != std::string::npos || TrimBlanks(key).front() == ';' ||
        TrimBlanks(key).front() == '[')
        throw HostSimError("invalid key: " + key);
    if (value.find_first_of("\r\n") != std::string::npos)
        throw HostSimError("the value must be one line");
    std::string folder;
    reg.RegReadValue(kHkeyLocalMachine, HostRegKeyFor(hostKey), "path", folder);
    folder = trim(folder);
    if (folder.empty()) throw HostSimError("the host has no \"path\"; run init first");
    const fs::path file = fs::path(folder) / kImportIniName;

    std::vector<std::string> lines = ReadLines(file);
    SetIniValue(lines, section, key, value);
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    WriteAtomically(file, Utf8ToCp1252(text));
}

void Forget(Registry& reg, const std::string& hostKey) {
    const std::string key = HostRegKeyFor(hostKey);
    for (std::uint32_t hive : {kHkeyLocalMachine, kHkeyCurrentUser}) {
        RegKey k = 0;
        if (reg.backend().OpenKey(hive, key, kAccessAll, k) != kErrorSuccess) continue;
        const long rc = reg.backend().DeleteValue(k, "DataBaseName");
        if (rc == kErrorSuccess) reg.backend().FlushKey(k);
        reg.backend().CloseKey(k);
        if (rc != kErrorSuccess && rc != kErrorFileNotFound)
            throw HostSimError("cannot remove \"DataBaseName\" below " + key);
    }
}

std::string CreateDemo(Registry& reg, const std::string& dir, double today,
                       const std::string& hostKey) {
    if (dir.empty()) throw HostSimError("no folder given");
    InitOptions opt;
    opt.hostKey = hostKey;
    opt.diaryPath = (fs::path(dir) / "mustermann.vld").string();
    opt.password = kDemoPassword;
    const std::string diary = InitHost(reg, opt);

    // A year of readings: the owner measures mostly with the OneTouch Ultra, now and then
    // with the Accu-Chek Compact and the Ascensia CONTOUR.
    const double end = OleDateOnly(today);
    const auto rows = MakeReadings(end - 364, end, 3, 5, {25, 25, 25, 24, 24, 33}, 20100301u);
    InsertReadings(diary, rows);

    // Module keys are named as the import descriptions name the meters.
    RegisterModule(reg, opt.hostKey, "OneTouch Ultra", "0", "COM1|9600|8N1|25",
                   "OneTouch Ultra, UltraSmart");
    RegisterModule(reg, opt.hostKey, "Accutrend Compact", "0", "COM1|9600|8N1|24",
                   "Accu-Chek Compact");
    RegisterModule(reg, opt.hostKey, "Ascensia Contour", "0", "USB|0|0|33", "Ascensia CONTOUR");
    RegisterModule(reg, opt.hostKey, "FreeStyle", "0", "COM2|19200|8N1|23",
                   "FreeStyle, FreeStyle Mini");
    RegisterModule(reg, opt.hostKey, "Accu-Chek Aviva", "", "IR|0|0|73", "Accu-Chek Aviva");
    RegisterModule(reg, opt.hostKey, "boso medicus PC", "1", "COM1|4800|8N1|3",
                   "boso medicus PC (Blutdruck)");

    WriteImportIni(reg, opt.hostKey, "BG", "115", "GlucoLine Solo");
    WriteImportIni(reg, opt.hostKey, "BG", "116", "Vitaplus Mini");
    WriteImportIni(reg, opt.hostKey, "BG", "117", "Zuckermesser Überall");
    WriteImportIni(reg, opt.hostKey, "BP", "9", "Tensio Handgelenk 2");
    WriteImportIni(reg, opt.hostKey, "BP", "10", "Tensio Oberarm 5");
    return diary;
}

}  // namespace stripstock::hostsim
