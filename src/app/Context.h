#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stripstock {

namespace dao {
class DBEngine;
class Database;
class Recordset;
class EngineFactory;
}  // namespace dao

class Registry;

// An entry of a list box or combo box: the shown text and the item data behind it.
struct ListEntry {
    std::string text;
    std::int32_t itemData = 0;
};

// The shared database session: one operation opens, works and closes before the next one.
struct SessionObjects {
    std::shared_ptr<dao::DBEngine> DbEngine;
    std::shared_ptr<dao::Database> Db;
    std::shared_ptr<dao::Recordset> Rs;
};

// Everything the program keeps for the whole run, passed explicitly to the code that needs it.
struct Context {
    // Host settings, set once at start.
    std::string HostKeyName;
    std::string HostRegKey;
    std::string AddonRegKey;
    std::string DiaryDbPath;
    std::string DbPassword;

    bool IsLoading = false;
    std::string StripDbPath;

    // Start of the consumption period as an OLE Automation date; 0 = not known yet.
    double CalcStartDate = 0.0;

    SessionObjects session;

    // The main window's strip list as last loaded; strip names are looked up here.
    std::vector<ListEntry> stripList;

    // Injected services.
    std::shared_ptr<Registry> registry;
    std::shared_ptr<dao::EngineFactory> engines;
    std::string programDir;         // the program's own folder
    char pathSeparator = '/';       // separator used to join programDir and file names
    std::function<double()> clock;  // current local date and time as an OLE Automation date
};

// A context with the real services: the registry store of the environment, both engine
// class names, the local clock and the platform's path separator.
Context MakeContext(const std::string& programDir);

}  // namespace stripstock
