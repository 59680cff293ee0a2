#include "data/ScopedDatabase.h"

#include <functional>
#include <utility>

#include "data/Session.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

template <typename T>
void CloseQuietly(const std::shared_ptr<T>& object, const std::string& where) {
    if (!object) return;
    try {
        object->Close();
    } catch (const dao::JetError& e) {
        DebugLog(where, std::string("close: ") + e.what());
    }
}

}  // namespace

ScopedDatabase::ScopedDatabase(const char* where, SessionObjects* session)
    : m_where(where ? where : "ScopedDatabase"), m_session(session) {}

ScopedDatabase::ScopedDatabase(ScopedDatabase&& other) noexcept
    : m_where(std::move(other.m_where)),
      m_session(std::exchange(other.m_session, nullptr)),
      m_engine(std::move(other.m_engine)),
      m_db(std::move(other.m_db)),
      m_recordsets(std::move(other.m_recordsets)),
      m_status(other.m_status),
      m_error(std::move(other.m_error)),
      m_cause(std::move(other.m_cause)),
      m_lastError(other.m_lastError) {
    other.m_db.reset();
    other.m_recordsets.clear();
}

ScopedDatabase::~ScopedDatabase() { Close(); }

ScopedDatabase ScopedDatabase::WithOwnEngine(const Context& ctx, const std::string& path,
                                             bool readOnly, const char* where,
                                             const std::string& connect) {
    return WithEngine(CreateOwnEngine(ctx), path, readOnly, where, connect);
}

ScopedDatabase ScopedDatabase::WithEngine(std::shared_ptr<dao::DBEngine> engine,
                                          const std::string& path, bool readOnly, const char* where,
                                          const std::string& connect) {
    return Opened(std::move(engine), path, where,
                  [&](dao::DBEngine& e) { return e.OpenDatabase(path, false, readOnly, connect); });
}

ScopedDatabase ScopedDatabase::Create(std::shared_ptr<dao::DBEngine> engine,
                                      const std::string& path, const char* where) {
    return Opened(std::move(engine), path, where, [&](dao::DBEngine& e) {
        return e.CreateDatabase(path, dao::dbLangGeneral, dao::dbVersion30);
    });
}

ScopedDatabase ScopedDatabase::Opened(
    std::shared_ptr<dao::DBEngine> engine, const std::string& path, const char* where,
    const std::function<std::shared_ptr<dao::Database>(dao::DBEngine&)>& open) {
    ScopedDatabase scoped(where, nullptr);
    scoped.m_engine = std::move(engine);
    if (!scoped.m_engine) {
        scoped.m_status = dao::kErrCannotCreateObject;
        DebugLog(scoped.m_where, "no database engine for " + path);
        return scoped;
    }
    try {
        scoped.m_db = open(*scoped.m_engine);
    } catch (const dao::JetError& e) {
        scoped.m_status = e.number();
        scoped.m_error = e.what();
        DebugLog(scoped.m_where, path + ": " + e.what());
    }
    return scoped;
}

ScopedDatabase ScopedDatabase::ThroughSession(Context& ctx, const std::string& path, bool readOnly,
                                              const char* where) {
    return ThroughSession(ctx, ctx.session, path, readOnly, where);
}

ScopedDatabase ScopedDatabase::ThroughSession(const Context& ctx, SessionObjects& own,
                                              const std::string& path, bool readOnly,
                                              const char* where) {
    ScopedDatabase scoped(where, &own);
    scoped.m_status = db_init(ctx, own.DbEngine, own.Db, path, readOnly, false, &scoped.m_cause);
    if (scoped.m_status == 0) {
        scoped.m_db = own.Db;
    } else {
        DebugLog(scoped.m_where,
                 "database " + path + " not opened, status " + std::to_string(scoped.m_status));
    }
    return scoped;
}

std::shared_ptr<dao::Recordset> ScopedDatabase::OpenRecordset(const std::string& sql, int kind) {
    std::shared_ptr<dao::Recordset> rs;
    if (m_session) {
        m_lastError = db_OpenRecordset(m_db, m_session->Rs, sql, kind);
        rs = m_session->Rs;
    } else if (!m_db) {
        m_lastError = dao::kErrObjectClosed;
    } else {
        try {
            rs = m_db->OpenRecordset(sql, kind);
            m_lastError = 0;
        } catch (const dao::JetError& e) {
            m_lastError = e.number();
        }
    }
    if (m_lastError != 0 || !rs) {
        DebugLog(m_where, sql + ": error " + std::to_string(m_lastError));
        return nullptr;
    }
    m_recordsets.push_back(rs);
    return rs;
}

void ScopedDatabase::Close() {
    for (const auto& rs : m_recordsets) CloseQuietly(rs, m_where);
    m_recordsets.clear();
    if (m_session) {
        try {
            db_cleanup(m_session->DbEngine, m_session->Db, m_session->Rs);
        } catch (const dao::JetError& e) {
            DebugLog(m_where, std::string("close: ") + e.what());
        }
        m_session = nullptr;
    } else {
        CloseQuietly(m_db, m_where);
    }
    m_db.reset();
    m_engine.reset();
}

}  // namespace stripstock
