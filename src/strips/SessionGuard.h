#pragma once

#include "app/Context.h"
#include "data/Session.h"

namespace stripstock {

// Closes the shared session (db_cleanup) however the operation that opened it returns.
class SessionGuard {
  public:
    explicit SessionGuard(SessionObjects& session) : m_session(session) {}
    ~SessionGuard() { db_cleanup(m_session.DbEngine, m_session.Db, m_session.Rs); }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

  private:
    SessionObjects& m_session;
};

}  // namespace stripstock
