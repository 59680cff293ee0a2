#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "host/Context.h"

namespace stripstock {

// One database, opened for one operation and closed when the operation leaves its scope,
// however it leaves. The way it is opened is named at the call: with an engine of its own,
// or through a session as db_init opens it. Closing is quiet: the work is done by then, so a
// failing close is only logged (STRIPSTOCK_DEBUG=1). Opening never throws either: a database
// that could not be opened is not open, and status() and error() say why.
class ScopedDatabase {
  public:
    // An engine of its own ("DAO.DBEngine.35", else ".36"), not exclusive, with the connect
    // string given (none for the companion, which carries no password).
    static ScopedDatabase WithOwnEngine(const Context& ctx, const std::string& path, bool readOnly,
                                        const char* where, const std::string& connect = {});
    // The same with an engine the caller made (a tool without a context).
    static ScopedDatabase WithEngine(std::shared_ptr<dao::DBEngine> engine, const std::string& path,
                                     bool readOnly, const char* where,
                                     const std::string& connect = {});
    // A new, empty database file made with the engine given; status() is 3204 when anything
    // is at path already.
    static ScopedDatabase Create(std::shared_ptr<dao::DBEngine> engine, const std::string& path,
                                 const char* where);

    // The shared session: db_init into ctx.session (the diary password, the newer engine
    // first); record sets go to its Rs, and db_cleanup closes all three.
    static ScopedDatabase ThroughSession(Context& ctx, const std::string& path, bool readOnly,
                                         const char* where);
    // As db_init opens, into engine and database objects of the caller's own, so that the
    // shared session stays free.
    static ScopedDatabase ThroughSession(const Context& ctx, SessionObjects& own,
                                         const std::string& path, bool readOnly, const char* where);

    ScopedDatabase(ScopedDatabase&& other) noexcept;
    ScopedDatabase& operator=(ScopedDatabase&&) = delete;
    ScopedDatabase(const ScopedDatabase&) = delete;
    ScopedDatabase& operator=(const ScopedDatabase&) = delete;
    ~ScopedDatabase();

    bool IsOpen() const { return m_db != nullptr; }
    explicit operator bool() const { return IsOpen(); }
    // 0 when open; else db_init's status or the engine's error number.
    int status() const { return m_status; }
    // The engine's text of the failure to open; empty when open or unknown.
    const std::string& error() const { return m_error; }
    // Through the session: why it could not be opened, as the user reads it ("<path>: ...").
    const std::string& cause() const { return m_cause; }

    // Only while open.
    dao::Database& database() const { return *m_db; }
    dao::Database* operator->() const { return m_db.get(); }

    // A record set on sql (text or table name) that is closed with the database; nullptr,
    // logged, when it cannot be opened (or the database is not open) and then lastError()
    // holds the error number.
    std::shared_ptr<dao::Recordset> OpenRecordset(const std::string& sql, int kind);
    int lastError() const { return m_lastError; }

    // Closes the record sets, then the database; afterwards nothing is open. Quiet.
    void Close();

  private:
    ScopedDatabase(const char* where, SessionObjects* session);
    // open with the engine; the engine's error is kept when it raises one.
    static ScopedDatabase Opened(
        std::shared_ptr<dao::DBEngine> engine, const std::string& path, const char* where,
        const std::function<std::shared_ptr<dao::Database>(dao::DBEngine&)>& open);

    std::string m_where;
    SessionObjects* m_session = nullptr;  // set when opened through a session
    std::shared_ptr<dao::DBEngine> m_engine;
    std::shared_ptr<dao::Database> m_db;
    std::vector<std::shared_ptr<dao::Recordset>> m_recordsets;
    int m_status = 0;
    std::string m_error;
    std::string m_cause;
    int m_lastError = 0;
};

}  // namespace stripstock
