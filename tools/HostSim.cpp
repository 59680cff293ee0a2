#include "tools/HostSim.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "data/Dao.h"
#include "data/ScopedDatabase.h"
#include "host/LockedFile.h"
#include "meters/PrivateProfile.h"
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

// The host's own engine: the simulator has no program context.
std::shared_ptr<dao::DBEngine> HostEngine() {
    return dao::EngineFactory().Create("DAO.DBEngine.36");
}

[[noreturn]] void Fail(const std::string& what, const std::string& detail,
                       const std::string& diaryPath) {
    throw HostSimError(what + ": " + detail + " (" + diaryPath + ")");
}

// Appends the readings in one transaction, so that bulk loads are quick and a failure adds
// none. The host knows its diary's password, having set it.
void InsertReadings(const std::string& diaryPath, const std::vector<Reading>& readings) {
    if (!FileExists(diaryPath)) throw HostSimError("diary not found: " + diaryPath);
    std::string password;
    try {
        password = dao::DatabasePassword(diaryPath);
    } catch (const dao::JetError& e) {
        Fail("cannot open the diary", e.what(), diaryPath);
    }
    auto diary = ScopedDatabase::WithEngine(HostEngine(), diaryPath, /*readOnly=*/false,
                                            "InsertReadings", "MS Access;pwd=" + password);
    if (!diary) Fail("cannot open the diary", diary.error(), diaryPath);
    try {
        diary->BeginTrans();
    } catch (const dao::JetError& e) {
        Fail("cannot start a transaction", e.what(), diaryPath);
    }
    const auto rs = diary.OpenRecordset("GLUCOSE", dao::dbOpenDynaset);
    if (!rs)
        Fail("the diary has no usable GLUCOSE table", "error " + std::to_string(diary.lastError()),
             diaryPath);
    for (const Reading& r : readings) {
        try {
            rs->AddNew();
            rs->SetField("vdate", Real(r.day));
            rs->SetField("vtime", Real(r.time));
            rs->SetField("value", Whole(r.value));
            rs->SetField("method", Whole(r.method));
            rs->Update();
        } catch (const dao::JetError& e) {
            Fail("cannot add a reading", e.what(), diaryPath);
        }
    }
    try {
        diary->CommitTrans();
    } catch (const dao::JetError& e) {
        Fail("cannot store the readings", e.what(), diaryPath);
    }
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

// Sets the entry as the profile reader will find it: the first section of the name, the first
// line of the key in it, names compared as the reader compares them.
void SetIniValue(std::vector<std::string>& lines, const std::string& section,
                 const std::string& key, const std::string& value) {
    const std::string_view wantedSection = TrimProfileBlanks(section);
    const std::string_view wantedKey = TrimProfileBlanks(key);
    const std::string entry = key + "=" + value;
    bool inSection = false;
    bool sectionSeen = false;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ProfileLine line = ParseProfileLine(lines[i]);
        if (line.kind == ProfileLine::Kind::Section) {
            // Readers search only the first section of a name; later ones are left alone.
            if (inSection) break;
            inSection = !sectionSeen && SameProfileName(line.name, wantedSection);
            if (inSection) {
                sectionSeen = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (line.kind == ProfileLine::Kind::Key && SameProfileName(line.name, wantedKey)) {
            lines[i] = entry;
            return;
        }
        if (!TrimProfileBlanks(lines[i]).empty()) insertAt = i + 1;
    }
    if (sectionSeen) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        return;
    }
    while (!lines.empty() && TrimProfileBlanks(lines.back()).empty()) lines.pop_back();
    if (!lines.empty()) lines.emplace_back();
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
}

void CheckIniName(const std::string& what, const std::string& name) {
    if (TrimProfileBlanks(name).empty()) throw HostSimError(what + " must not be empty");
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
        auto diary = ScopedDatabase::Create(HostEngine(), tmp.string(), "CreateDiary");
        if (!diary) throw dao::JetError(diary.status(), diary.error());
        CreatePatdat(diary.database());
        AddOwner(diary.database(), firstName, name);
        CreateGlucose(diary.database());
        diary.Close();
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
    if (key.find('=') != std::string::npos || TrimProfileBlanks(key).front() == ';' ||
        TrimProfileBlanks(key).front() == '[')
        throw HostSimError("invalid key: " + key);
    if (value.find_first_of("\r\n") != std::string::npos)
        throw HostSimError("the value must be one line");
    std::string folder;
    reg.RegReadValue(kHkeyLocalMachine, HostRegKeyFor(hostKey), "path", folder);
    folder = trim(folder);
    if (folder.empty()) throw HostSimError("the host has no \"path\"; run init first");
    const fs::path file = fs::path(folder) / kImportIniName;

    // Locked from the read to the replacement, so parallel writers each keep their entry.
    const LockedFile locked(file, "WriteImportIni");
    if (!locked.locked()) throw HostSimError("cannot lock " + file.string());
    std::vector<std::string> lines = ReadLines(locked.target());
    SetIniValue(lines, section, key, value);
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    if (!locked.Replace(Utf8ToCp1252(text))) throw HostSimError("cannot write " + file.string());
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
