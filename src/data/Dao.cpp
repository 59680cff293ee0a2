#include "data/Dao.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "data/JetFile.h"
#include "data/SqliteConnection.h"
#include "data/SqliteEngine.h"
#include "text/Regional.h"

namespace stripstock::dao {

JetError::JetError(int number, const std::string& text)
    : std::runtime_error(text), m_number(number) {}

namespace {

[[noreturn]] void ThrowNull() { throw JetError(kErrInvalidUseOfNull, "Invalid use of Null"); }
[[noreturn]] void ThrowMismatch() { throw JetError(kErrTypeMismatch, "Type mismatch"); }
[[noreturn]] void ThrowOverflow() { throw JetError(kErrOverflow, "Overflow"); }

// A plain decimal number with blanks around it; nullopt for anything else.
std::optional<double> ParsePlainNumber(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    for (char c : s) {
        const bool ok =
            (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+';
        if (!ok) return std::nullopt;  // no "inf", "nan" or hex
    }
    double v = 0.0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

// Rounds half to even and checks the range [lo, hi].
std::int64_t RoundInRange(double v, std::int64_t lo, std::int64_t hi) {
    if (!std::isfinite(v)) ThrowOverflow();
    const double r = std::nearbyint(v);  // the default rounding mode rounds ties to even
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) ThrowOverflow();
    return static_cast<std::int64_t>(r);
}

std::int64_t ToWhole(const Value& v, std::int64_t lo, std::int64_t hi) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        if (*i < lo || *i > hi) ThrowOverflow();
        return *i;
    }
    if (const auto* d = std::get_if<double>(&v)) return RoundInRange(*d, lo, hi);
    if (const auto* s = std::get_if<std::string>(&v)) {
        const auto num = ParsePlainNumber(*s);
        if (!num) ThrowMismatch();
        return RoundInRange(*num, lo, hi);
    }
    ThrowNull();
}

}  // namespace

bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

std::int32_t ToLong(const Value& v) {
    return static_cast<std::int32_t>(ToWhole(v, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
}

std::int64_t ToLong64(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    const auto inRange = [](double r) {
        // 2^63 is the first double beyond the range; the cast below is only defined inside it.
        if (!std::isfinite(r) || r < -9223372036854775808.0 || r >= 9223372036854775808.0)
            ThrowOverflow();
        return static_cast<std::int64_t>(std::nearbyint(r));
    };
    if (const auto* d = std::get_if<double>(&v)) return inRange(std::nearbyint(*d));
    if (const auto* s = std::get_if<std::string>(&v)) {
        const auto num = ParsePlainNumber(*s);
        if (!num) ThrowMismatch();
        return inRange(std::nearbyint(*num));
    }
    ThrowNull();
}

std::int16_t ToInteger(const Value& v) {
    return static_cast<std::int16_t>(ToWhole(v, std::numeric_limits<std::int16_t>::min(),
                                             std::numeric_limits<std::int16_t>::max()));
}

double ToDate(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&v)) {
        if (!std::isfinite(*d)) ThrowOverflow();
        return *d;
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        if (const auto date = ParseDate(*s)) return *date;
        if (const auto num = ParsePlainNumber(*s)) return *num;
        ThrowMismatch();
    }
    ThrowNull();
}

std::string ToText(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&v)) {
        std::array<char, 64> buf{};
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), *d);
        return std::string(buf.data(), res.ptr);
    }
    ThrowNull();
}

Field TableDef::CreateField(const std::string& name, int type, int size) const {
    Field f;
    f.Name = name;
    f.Type = type;
    f.Size = size;
    return f;
}

void TableDef::AppendField(const Field& field) { Fields.push_back(field); }

EngineFactory::EngineFactory() : m_available{"DAO.DBEngine.35", "DAO.DBEngine.36"} {}

std::shared_ptr<DBEngine> EngineFactory::Create(std::string_view progId) const {
    if (m_available.find(progId) == m_available.end())
        throw JetError(kErrCannotCreateObject, "ActiveX component can't create object");
    return std::make_shared<SqliteEngine>(m_readOnly);
}

void EngineFactory::KeepReadOnly(const std::string& path, const std::string& reason) {
    m_readOnly.push_back({path, reason});
}

void EngineFactory::Withdraw(std::string_view progId) {
    if (const auto it = m_available.find(progId); it != m_available.end()) m_available.erase(it);
}

void SetDatabasePassword(const std::string& path, const std::string& password) {
    SqliteConnection conn = SqliteConnection::Open(path, /*readOnly=*/false, /*exclusive=*/false);
    conn.Exec("BEGIN IMMEDIATE");
    try {
        conn.Exec("CREATE TABLE IF NOT EXISTS MSysPassword(pwd TEXT)");
        conn.Exec("DELETE FROM MSysPassword");
        if (!password.empty()) {
            SqliteStatement st = conn.Prepare("INSERT INTO MSysPassword(pwd) VALUES(?)");
            st.Bind(1, Value(password));
            st.StepDone();
        }
        conn.Exec("COMMIT");
    } catch (const JetError&) {
        conn.RollbackQuietly();
        throw;
    }
}

std::string DatabasePassword(const std::string& path) {
    // A file in the host engine's own format keeps it in its header.
    if (const auto jet = ReadJetHeader(path)) return jet->password;
    SqliteConnection conn = SqliteConnection::Open(path, /*readOnly=*/true, /*exclusive=*/false);
    if (!conn.TableExists("MSysPassword")) return {};
    SqliteStatement st = conn.Prepare("SELECT pwd FROM MSysPassword LIMIT 1");
    if (!st.Step()) return {};
    const Value stored = st.Column(0, dbText);
    return IsNull(stored) ? std::string() : ToText(stored);
}

}  // namespace stripstock::dao
