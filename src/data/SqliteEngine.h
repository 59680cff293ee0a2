#pragma once

#include "data/Dao.h"

namespace stripstock::dao {

// The engine behind both Jet class names: opens and creates SQLite database files.
class SqliteEngine : public DBEngine {
  public:
    SqliteEngine() = default;
    explicit SqliteEngine(std::vector<EngineFactory::ReadOnlyFile> readOnly)
        : m_readOnly(std::move(readOnly)) {}

    std::shared_ptr<Database> OpenDatabase(const std::string& path, bool exclusive, bool readOnly,
                                           const std::string& connect) override;
    std::shared_ptr<Database> CreateDatabase(const std::string& path, const std::string& locale,
                                             int options) override;

  private:
    std::vector<EngineFactory::ReadOnlyFile> m_readOnly;
};

}  // namespace stripstock::dao
