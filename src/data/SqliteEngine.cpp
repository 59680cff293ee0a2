#include "data/SqliteEngine.h"

#include "data/JetDatabase.h"
#include "data/SqliteConnection.h"
#include "data/SqliteDatabase.h"

#include <filesystem>
#include <system_error>

#include "text/TextHelpers.h"

namespace stripstock::dao {

std::shared_ptr<Database> SqliteEngine::OpenDatabase(const std::string& path, bool exclusive,
                                                     bool readOnly, const std::string& connect) {
    if (!readOnly) {
        for (const EngineFactory::ReadOnlyFile& kept : m_readOnly) {
            std::error_code ec;
            if (std::filesystem::equivalent(Utf8Path(path), Utf8Path(kept.path), ec) && !ec)
                throw JetError(kErrNoPermission, kept.reason);
        }
    }
    // The host's own diary format is recognised by its first page and only ever read.
    if (auto jet = OpenJetDatabaseIfJet(path, connect)) return jet;
    auto conn =
        std::make_shared<SqliteConnection>(SqliteConnection::Open(path, readOnly, exclusive));
    conn->CheckPassword(connect);
    return std::make_shared<SqliteDatabase>(std::move(conn));
}

std::shared_ptr<Database> SqliteEngine::CreateDatabase(const std::string& path,
                                                       const std::string& /*locale*/,
                                                       int /*options*/) {
    auto conn = std::make_shared<SqliteConnection>(SqliteConnection::Create(path));
    return std::make_shared<SqliteDatabase>(std::move(conn));
}

}  // namespace stripstock::dao
