#pragma once

// A small database engine layer with the shape of the Jet automation interface (engine,
// database, table definitions, record sets), kept over SQLite. Callers send Jet SQL and get
// Jet error numbers; they never see SQLite.
//
// Storage conventions (other programs that write these files, such as the host simulator,
// rely on them):
// - A database is an SQLite 3 file (rollback journal). A file that does not start with the
//   SQLite header is refused with 3343 and never written; an empty file counts as no database.
// - Column declared types carry the field type, so every connection can enforce it:
//     Long            LONG
//     Integer         SHORT
//     Date/Time       DATETIME_REAL   (REAL affinity: dates stay doubles; a column declared
//                                      DATETIME or DATE is read as Date/Time as well)
//     Text(n)         VARCHAR(n)      (n characters of UTF-8 text, 1..255)
//     Long, auto-increment (Attributes 16)
//                     INTEGER PRIMARY KEY AUTOINCREMENT   (numbers are never reused)
//   Required gives NOT NULL, DefaultValue gives DEFAULT <literal>. Columns of any other
//   declared type are read and written without checks.
// - A database password lives in the table MSysPassword(pwd TEXT), one row. With a non-empty
//   password the connect string must carry ";pwd=<password>" (case-sensitive); without one any
//   connect string opens the file.
// - Text is UTF-8. Date/Time values are OLE Automation dates.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace stripstock::dao {

// Jet error numbers the program meets.
enum JetErrorNumber : int {
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrTypeMismatch = 13,
    kErrInvalidUseOfNull = 94,
    kErrCannotCreateObject = 429,
    kErrEngine = 3000,  // an engine failure without a Jet counterpart; the text tells more
    kErrInvalidArgument = 3001,
    kErrTableExists = 3010,
    kErrNoCurrentRecord = 3021,
    kErrUpdateWithoutAddNew = 3020,
    kErrDuplicateValue = 3022,
    kErrInvalidName = 3125,
    kErrFileNotFound = 3024,
    kErrNotValidPassword = 3031,
    kErrDiskIo = 3043,
    kErrCannotOpenFile = 3051,
    kErrTooFewParameters = 3061,
    kErrCannotExecuteSelect = 3065,
    kErrInputTableNotFound = 3078,
    kErrSyntax = 3075,
    kErrInvalidSqlStatement = 3129,
    kErrCharactersAfterEnd = 3142,
    kErrFieldTooSmall = 3163,
    kErrFieldCannotBeUpdated = 3164,
    kErrRecordDeleted = 3167,
    kErrFieldDefinedTwice = 3191,
    kErrDatabaseExists = 3204,
    kErrInvalidOperation = 3219,
    kErrNotSupported = 3251,
    kErrInvalidFieldType = 3259,
    kErrNoFieldDefined = 3264,
    kErrItemNotFound = 3265,
    kErrRequired = 3314,
    kErrUnrecognizedFormat = 3343,
    kErrNumericOverflow = 3349,
    kErrObjectClosed = 3420,
    kErrFileLocked = 3045,
    kErrReadOnly = 3027,
    kErrNoPermission = 3033,  // a file the engine keeps read-only; the text says why
};

class JetError : public std::runtime_error {
  public:
    JetError(int number, const std::string& text);
    int number() const { return m_number; }

  private:
    int m_number;
};

// A field value: Null, a whole number, a real (also Date/Time, as an OLE date) or text.
using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

bool IsNull(const Value& v);
// Conversions as a typed variable assignment does them: Null raises 94, text that is no
// number raises 13, a value out of range raises 6. Numbers round half to even; text holds a
// plain decimal number ('.' as decimal point, blanks around it allowed). ToDate also takes
// date text as the user's regional settings write it. ToText writes numbers in the shortest
// form that reads back the same, with '.' as decimal point.
std::int32_t ToLong(const Value& v);
std::int16_t ToInteger(const Value& v);
// As ToLong over the 64-bit range, for sums that may pass the 32-bit one.
std::int64_t ToLong64(const Value& v);
double ToDate(const Value& v);
std::string ToText(const Value& v);

enum FieldType : int { dbInteger = 3, dbLong = 4, dbDate = 8, dbText = 10 };
inline constexpr int dbOpenDynaset = 2;
inline constexpr int dbOpenSnapshot = 4;
// Rows read one by one as the record set moves on; read-only, forward only.
inline constexpr int dbOpenForwardOnly = 8;
inline constexpr long dbFixedField = 1;
inline constexpr long dbAutoIncrField = 16;
inline constexpr int dbVersion30 = 32;
inline constexpr const char* dbLangGeneral = ";LANGID=0x0409;CP=1252;COUNTRY=0";

struct Field {
    std::string Name;
    int Type = dbText;
    int Size = 0;
    long Attributes = 0;
    int OrdinalPosition = -1;
    std::optional<Value> DefaultValue;
    bool Required = false;
};

class TableDef {
  public:
    explicit TableDef(std::string name) : Name(std::move(name)) {}
    Field CreateField(const std::string& name, int type, int size = 0) const;
    void AppendField(const Field& field);  // Fields.Append

    std::string Name;
    long Attributes = 0;
    std::string Connect;
    std::string SourceTableName;
    std::string ValidationRule;
    std::string ValidationText;
    std::vector<Field> Fields;
};

class Recordset {
  public:
    virtual ~Recordset() = default;
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;
    virtual bool Eof() const = 0;
    virtual bool Bof() const = 0;
    // Records visited so far; exact after MoveLast.
    virtual long RecordCount() const = 0;
    // Field by case-insensitive column name; 3265 for an unknown name, 3021 without a
    // current record.
    virtual Value GetField(std::string_view name) const = 0;
    // Refuses a value that breaks the field's type, range or size (3163, 3349, 13) at once,
    // leaving the pending row as it was. 3020 outside AddNew/Edit.
    virtual void SetField(std::string_view name, const Value& value) = 0;
    // AddNew starts a new row with the table's default values (Null where it has none); Edit
    // starts changing the current row. Only a table, or "SELECT * FROM <one table> ...", can
    // be changed; other record sets raise 3027.
    virtual void AddNew() = 0;
    virtual void Edit() = 0;
    // Writes the pending row in one transaction: 3020 without AddNew/Edit, 3314 for a Null in
    // a required field, 3027 on a read-only database. After AddNew the database assigns the
    // auto-increment number; the current record stays where it was.
    virtual void Update() = 0;
    virtual void Close() = 0;
};

class Database {
  public:
    virtual ~Database() = default;
    // Runs one action query in a transaction; a SELECT raises 3065 (only when its tables
    // exist), a missing table 3078, text outside the dialect 3075/3129/3142.
    virtual void Execute(const std::string& sql) = 0;
    // SQL text or a table name (text without blanks); kind dbOpenDynaset, dbOpenSnapshot or
    // dbOpenForwardOnly.
    // The rows are read at once; RecordCount counts the records visited as Jet does (0 when
    // empty, 1 after opening, exact after MoveLast).
    virtual std::shared_ptr<Recordset> OpenRecordset(const std::string& source, int kind) = 0;
    virtual TableDef CreateTableDef(const std::string& name) = 0;
    // TableDefs.Append: creates the table (declared types above); 3010 when the name exists.
    virtual void AppendTableDef(const TableDef& table) = 0;
    // One transaction around the changes that follow (no nesting: 3219 inside one); Update
    // and Execute then commit nothing by themselves. Closing without CommitTrans rolls back.
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void Rollback() = 0;
    // TableDefs: the names of the user's tables (the engine's own are left out).
    virtual std::vector<std::string> TableNames() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
};

class DBEngine {
  public:
    virtual ~DBEngine() = default;
    // 3024 for a missing file, 3343 for a file that is no database (left untouched), 3031 for
    // a wrong password, 3045 when another program keeps the file locked for longer than a
    // short wait. Read-only opens never write.
    virtual std::shared_ptr<Database> OpenDatabase(const std::string& path, bool exclusive,
                                                   bool readOnly,
                                                   const std::string& connect = {}) = 0;
    // A new, empty database file; 3204 when anything exists at path (left untouched). The
    // locale and format options are accepted for their shape: text is always UTF-8.
    virtual std::shared_ptr<Database> CreateDatabase(const std::string& path,
                                                     const std::string& locale, int options) = 0;
};

// Creates engine objects by class name. Both "DAO.DBEngine.36" and "DAO.DBEngine.35" are
// served by the SQLite engine; tests withdraw a name to follow the fallback paths.
class EngineFactory {
  public:
    EngineFactory();
    std::shared_ptr<DBEngine> Create(std::string_view progId) const;  // 429 when unavailable
    void Withdraw(std::string_view progId);
    // The engines created from now on open the file at path (or any other name of it) only
    // for reading: a read-write open raises 3033 with reason as its text. The host's diary is
    // kept this way, whatever path a write was given.
    void KeepReadOnly(const std::string& path, const std::string& reason);

    struct ReadOnlyFile {
        std::string path;
        std::string reason;
    };

  private:
    std::set<std::string, std::less<>> m_available;
    std::vector<ReadOnlyFile> m_readOnly;
};

// Jet SQL -> SQLite SQL: #m/d/yyyy[ hh:mm[:ss]]# literals become OLE date numbers,
// "DELETE * FROM" becomes "DELETE FROM"; quoted text is left as it is. Raises a syntax
// error (3075) for text the dialect does not allow, such as "IN (**)".
std::string TranslateSql(std::string_view jetSql);

// Gives an existing database a password (the host's diary carries one); an empty password
// removes it.
void SetDatabasePassword(const std::string& path, const std::string& password);

// The password an existing database carries, "" for none: what its owner, who set it, knows.
std::string DatabasePassword(const std::string& path);

}  // namespace stripstock::dao
