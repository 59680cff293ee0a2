#include "data/Session.h"

#include <cstdio>
#include <filesystem>

#include "data/Failure.h"
#include "host/Context.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr int kErrFileNotFound = 53;  // the read test found no file
constexpr int kErrPathAccess = 75;    // the read test found something it cannot read
constexpr int kErrObjectNotSet = 91;  // a method called on no object

std::shared_ptr<dao::DBEngine> CreateEngine(const Context& ctx, const char* progId) {
    if (!ctx.engines)
        throw dao::JetError(dao::kErrCannotCreateObject, "ActiveX component can't create object");
    return ctx.engines->Create(progId);
}

}  // namespace

int db_init(const Context& ctx, std::shared_ptr<dao::DBEngine>& engine,
            std::shared_ptr<dao::Database>& database, const std::string& path, bool readOnly,
            bool noOlderEngine, std::string* cause) {
    // A password too short to be the host's is replaced by the built-in one.
    const std::string password =
        Utf8Length(ctx.DbPassword) < 3 ? std::string(kBuiltInPassword) : ctx.DbPassword;
    if (path.empty()) {
        if (cause) *cause = "kein Datenbankpfad";
        return kStatusEmptyPath;
    }

    auto fail = [&](int status) {
        if (database) database->Close();
        database.reset();
        engine.reset();
        return status;
    };

    // The file must be readable before an engine is made for it.
    if (!FileExists(path)) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(Utf8Path(path), ec);
        if (cause)
            *cause =
                path + (exists ? ": die Datei kann nicht gelesen werden" : ": die Datei fehlt");
        return fail(exists ? kErrPathAccess : kErrFileNotFound);
    }

    try {
        engine = CreateEngine(ctx, "DAO.DBEngine.36");
    } catch (const dao::JetError& e) {
        if (noOlderEngine) {
            if (cause) *cause = FailureCause(path, e);
            return fail(e.number());
        }
        try {
            engine = CreateEngine(ctx, "DAO.DBEngine.35");
        } catch (const dao::JetError& older) {
            if (cause) *cause = FailureCause(path, older);
            return fail(older.number());
        }
    }

    try {
        database = engine->OpenDatabase(path, false, readOnly, "MS Access;pwd=" + password);
    } catch (const dao::JetError& e) {
        if (cause) *cause = FailureCause(path, e);
        return fail(e.number());
    }
    return 0;
}

int db_OpenRecordset(const std::shared_ptr<dao::Database>& database,
                     std::shared_ptr<dao::Recordset>& rs, const std::string& sql, int kind) {
    rs.reset();
    if (!database) return kErrObjectNotSet;
    try {
        rs = database->OpenRecordset(sql, kind);
    } catch (const dao::JetError& e) {
        return e.number();
    }
    return 0;
}

void db_cleanup(std::shared_ptr<dao::DBEngine>& /*engine*/,
                std::shared_ptr<dao::Database>& database, std::shared_ptr<dao::Recordset>& rs) {
    // The engine has nothing to close; the variables keep their closed objects.
    if (rs) rs->Close();
    if (database) database->Close();
}

int db_GetPatient(Context& ctx, const std::string& diaryPath, PatientRecord& record) {
    SessionObjects& s = ctx.session;
    const int status = db_init(ctx, s.DbEngine, s.Db, diaryPath, true, false);
    const int read = ReadPatient(s.Db, record);
    db_cleanup(s.DbEngine, s.Db, s.Rs);
    return status != 0 ? status : read;
}

int ReadPatient(const std::shared_ptr<dao::Database>& diary, PatientRecord& record) {
    int status = 0;
    std::shared_ptr<dao::Recordset> rs;
    if (const int opened = db_OpenRecordset(diary, rs, "SELECT * FROM patdat", dao::dbOpenSnapshot);
        opened != 0)
        status = opened;

    PatientRecord fresh;
    if (rs) {
        // Each column on its own: a missing or empty one leaves its field as it is.
        auto read = [&](const char* column, auto& field, auto convert) {
            try {
                field = convert(rs->GetField(column));
            } catch (const dao::JetError& e) {
                status = e.number();
            }
        };
        auto text = [](const dao::Value& v) { return dao::ToText(v); };
        auto integer = [](const dao::Value& v) { return dao::ToInteger(v); };
        auto date = [](const dao::Value& v) { return dao::ToDate(v); };
        read("firstname", fresh.firstname, text);
        read("name", fresh.name, text);
        read("street", fresh.street, text);
        read("zip", fresh.zip, text);
        read("city", fresh.city, text);
        read("phone", fresh.phone, text);
        read("fax", fresh.fax, text);
        read("birthday", fresh.birthday, date);
        read("height", fresh.height, integer);
        read("gender", fresh.gender, integer);
        read("email", fresh.email, text);
        read("typ", fresh.typ, integer);
        read("number", fresh.number, text);
        read("insurance", fresh.insurance, text);
        read("insurancenumber", fresh.insurancenumber, text);
        read("DiabetesSince", fresh.DiabetesSince, integer);
        read("OADSince", fresh.OADSince, integer);
        read("InsulinSince", fresh.InsulinSince, integer);
        read("CPeptid", fresh.CPeptid, integer);
    }
    fresh.reserved1 = record.reserved1;
    record = std::move(fresh);

    if (rs) rs->Close();
    return status;
}

std::shared_ptr<dao::DBEngine> CreateOwnEngine(const Context& ctx) {
    if (!ctx.engines) return nullptr;
    for (std::string_view progId : {"DAO.DBEngine.35", "DAO.DBEngine.36"}) {
        try {
            return ctx.engines->Create(progId);
        } catch (const dao::JetError& e) {
            DebugLog("CreateOwnEngine", std::string(progId) + ": " + e.what());
        }
    }
    return nullptr;
}

std::string SqlDate(double oleDate) {
    const CivilDateTime dt = FromOleDate(oleDate);
    std::string year = std::to_string(dt.year);
    if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
    return "#" + std::to_string(dt.month) + "/" + std::to_string(dt.day) + "/" + year + "#";
}

std::string SqlDateTime(double oleDate) {
    const CivilDateTime dt = FromOleDate(oleDate);
    char text[40];
    std::snprintf(text, sizeof text, "#%d/%d/%04d %02d:%02d#", dt.month, dt.day, dt.year, dt.hour,
                  dt.minute);
    return text;
}

}  // namespace stripstock
